#include <gtest/gtest.h>
#include <unistd.h>
#include "GameObject.h"

namespace
{
AABB Box(float minX, float minY, float maxX, float maxY)
{
	return AABB{{minX, minY}, {maxX, maxY}};
}

const KEVec2 kStill = {0.0f, 0.0f};

// Counts its destructions so deleting through the base can be checked.
struct Probe : GameObject
{
	explicit Probe(int* destroyed) : destroyed(destroyed) {}
	~Probe() override { ++*destroyed; }
	void Load() override {}
	void Init() override {}
	void Update() override {}
	void Free() override {}
	void Unload() override {}
	int* destroyed;
};
}

TEST(RectRectIntersect, TouchingAndContainedBoxesOverlapSeparatedOnesNever)
{
	AABB a = Box(0, 0, 10, 10);

	// Shared edges and a shared corner count as overlapping, in both argument orders.
	EXPECT_TRUE(RectRectIntersect(a, kStill, Box(10, 2, 20, 8), kStill));
	EXPECT_TRUE(RectRectIntersect(Box(10, 2, 20, 8), kStill, a, kStill));
	EXPECT_TRUE(RectRectIntersect(a, kStill, Box(-5, -5, 0, 0), kStill));

	// Containment either way.
	EXPECT_TRUE(RectRectIntersect(a, kStill, Box(4, 4, 6, 6), kStill));
	EXPECT_TRUE(RectRectIntersect(Box(4, 4, 6, 6), kStill, a, kStill));

	// One unit apart: no overlap, even with velocities that carry them into each other.
	KEVec2 right = {50.0f, 0.0f}, left = {-50.0f, 0.0f}, up = {0.0f, 50.0f}, down = {0.0f, -50.0f};
	EXPECT_FALSE(RectRectIntersect(a, right, Box(11, 0, 21, 10), left));
	EXPECT_FALSE(RectRectIntersect(a, up, Box(0, 11, 10, 21), down));
	// Separated on one axis only is still separated.
	EXPECT_FALSE(RectRectIntersect(a, kStill, Box(2, 10.5f, 8, 20), kStill));

	// Overlapping boxes moving apart still overlap now.
	EXPECT_TRUE(RectRectIntersect(a, left, Box(9, 9, 19, 19), right));
}

TEST(GameObject, ConstructionDefaultsAndDeleteThroughBase)
{
	int destroyed = 0;
	GameObject* object = new Probe(&destroyed);
	EXPECT_EQ(object->active, 1);
	EXPECT_EQ(object->kind, KIND_PLAYER);   // a class that sets no kind reads as 0
	EXPECT_EQ(object->mesh, nullptr);
	EXPECT_EQ(object->texture, nullptr);
	EXPECT_EQ(object->position.x + object->position.y + object->velocity.x + object->velocity.y, 0.0f);
	EXPECT_EQ(object->rotation, 0.0f);
	delete object;
	EXPECT_EQ(destroyed, 1);
}

TEST(GameObjectDeathTest, FailedObjectReportIsExactAndExitsWithOne)
{
	// The report goes to standard output; route it to the stream the death test reads.
	EXPECT_EXIT(
		{
			dup2(2, 1);
			GameObjectFatal("mesh", 167, "Menu_box::Load", "Source/MenuBox", "fail to create object!!");
		},
		::testing::ExitedWithCode(1),
		::testing::Eq(std::string("KE_ASSERT_MESG: mesh\nLine: 167\nFunc: Menu_box::Load\n"
		                          "File: Source/MenuBox\nMesg: fail to create object!!\n")));
}
