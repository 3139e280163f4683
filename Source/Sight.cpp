#include "Sight.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include "BinaryMap.h"
#include "Guard.h"
#include "KEMath.h"
#include "KESystem.h"
#include "Player.h"

namespace
{
const unsigned int kViewColor = 0x5FFFFF00;
// The rim of the drawn view follows the circle in steps of 1/128 turn: at most 0.05 units inside it.
const int    kArcSteps = 128;
const double kTwoPi = 6.283185307179586;

struct Piece
{
	KEVec2 corner[64];   // a quarter disc and its corners at most
	int    count = 0;
	void   Add(double x, double y)
	{
		if (count < 64)
			corner[count++] = {(float)x, (float)y};
	}
};

// The part of a convex piece (corners counter-clockwise, relative to the guard) on the
// guard's side of its line u . p >= 0.
Piece InFront(const Piece& in, const KEVec2& u)
{
	Piece out;
	for (int i = 0; i < in.count; ++i)
	{
		const KEVec2 a = in.corner[i], b = in.corner[(i + 1) % in.count];
		const double da = (double)u.x * a.x + (double)u.y * a.y, db = (double)u.x * b.x + (double)u.y * b.y;
		if (da >= 0.0)
			out.Add(a.x, a.y);
		if ((da >= 0.0) != (db >= 0.0))
		{
			const double t = da / (da - db);
			out.Add(a.x + t * (b.x - a.x), a.y + t * (b.y - a.y));
		}
	}
	return out;
}

// The part of a convex piece (relative to the guard) within radius r: where the outline
// leaves the circle and comes back in, the rim is followed on whole steps of the arc.
Piece InRange(const Piece& in, double r)
{
	struct Mark
	{
		double x, y;
		int    kind;   // 0 a corner, 1 where the outline comes back in, 2 where it leaves
	};
	Mark marks[24];
	int m = 0;
	auto mark = [&](double x, double y, int kind)
	{
		if (m < 24)
			marks[m++] = {x, y, kind};
	};
	auto inside = [&](const KEVec2& p) { return (double)p.x * p.x + (double)p.y * p.y < r * r; };
	for (int i = 0; i < in.count; ++i)
	{
		const KEVec2 a = in.corner[i], b = in.corner[(i + 1) % in.count];
		const double ex = (double)b.x - a.x, ey = (double)b.y - a.y;
		const double A = ex * ex + ey * ey, B = 2.0 * (a.x * ex + a.y * ey), C = (double)a.x * a.x + (double)a.y * a.y - r * r;
		const double disc = B * B - 4.0 * A * C, root = disc > 0.0 ? std::sqrt(disc) : 0.0;
		const double enter = A > 0.0 ? std::clamp((-B - root) / (2.0 * A), 0.0, 1.0) : 0.0;
		const double leave = A > 0.0 ? std::clamp((-B + root) / (2.0 * A), 0.0, 1.0) : 1.0;
		const bool aIn = inside(a), bIn = inside(b), through = disc > 0.0 && enter > 0.0 && leave < 1.0;
		if (!aIn && (bIn || through))
			mark(a.x + enter * ex, a.y + enter * ey, 1);
		if (bIn)
			mark(b.x, b.y, 0);
		if (!bIn && (aIn || through))
			mark(a.x + leave * ex, a.y + leave * ey, 2);
	}
	Piece out;
	const double step = kTwoPi / kArcSteps, pi = kTwoPi / 2.0;
	for (int i = 0; i < m; ++i)
	{
		const Mark& back = marks[(i + m - 1) % m];
		if (marks[i].kind == 1 && back.kind == 2)
		{
			const double from = std::atan2(back.y, back.x);
			double sweep = std::atan2(marks[i].y, marks[i].x) - from;
			while (sweep < 0.0)
				sweep += kTwoPi;
			if (sweep > pi)   // a piece never holds half the circle: the two points are one, rounded
				sweep = 0.0;
			for (double k = std::floor(from / step) + 1.0; k * step < from + sweep - 1e-9; k += 1.0)
				out.Add(r * std::cos(k * step), r * std::sin(k * step));
		}
		out.Add(marks[i].x, marks[i].y);
	}
	return out;
}

double Area(const Piece& p)
{
	double twice = 0.0;
	for (int i = 0; i < p.count; ++i)
	{
		const KEVec2 a = p.corner[i], b = p.corner[(i + 1) % p.count];
		twice += (double)a.x * b.y - (double)b.x * a.y;
	}
	return twice * 0.5;
}

// Where, along one axis, the sight test's answer can change within reach of a guard at c:
// the map's cell edges (whose cell the player is in) and whole cells from the guard (how
// deep the block between them reaches), plus the guard's own line and the reach itself.
void Cuts(float c, float r, int cell, float cellSize, std::vector<float>& out)
{
	out.assign({c - r, c, c + r});
	if (cell >= 1 && cellSize >= 1.0f && gMapSolid)
	{
		for (int k = (int)std::ceil((c - r) / cell); k * (float)cell < c + r; ++k)
			out.push_back(k * (float)cell);
		for (int k = 1; k * cellSize < r; ++k)
		{
			out.push_back(c - k * cellSize);
			out.push_back(c + k * cellSize);
		}
	}
	std::sort(out.begin(), out.end());
	out.erase(std::remove_if(out.begin(), out.end(), [&](float v) { return v < c - r || v > c + r; }), out.end());
	out.erase(std::unique(out.begin(), out.end()), out.end());
}
} // namespace

Sight::Sight(BasicGuard* owner, Player* target)
	: seesPlayer(false), range(150.0f), cellSize(0.0f), guard(owner), player(target), viewMesh(nullptr),
	  viewStale(true), viewBuilt(false), viewFrom{0.0f, 0.0f}, viewRotation(0.0f), viewRange(0.0f), viewMap(nullptr)
{
	position = owner->position;
}

void Sight::Load()
{
	const float pi = 3.1415925f, r = range;
	KEGfxMeshStart();
	for (int i = -20; i < 20; ++i)
	{
		float a0 = i * 2.0f * pi / 80.0f, a1 = (i + 1) * 2.0f * pi / 80.0f;
		KEGfxTriAdd(0.0f, 0.0f, kViewColor, 0.0f, 0.0f,
		            r * std::cos(a0), r * std::sin(a0), kViewColor, 0.0f, 0.0f,
		            r * std::cos(a1), r * std::sin(a1), kViewColor, 0.0f, 0.0f);
	}
	mesh = KEGfxMeshEnd();
	KEGfxMeshStart();
	viewMesh = KEGfxMeshEnd();   // filled when first drawn
	if (!mesh || !viewMesh)
		KEAssertReport("mesh", __LINE__, "Sight::Load", "Source/Sight", "fail to create object!!");
	viewStale = true;
}

void Sight::Init()
{
	seesPlayer = false;
	cellSize = gMapTileSize;
	viewBuilt = false;   // a new map may sit where the last one was
}

KEVec2 Sight::Facing() const
{
	KEVec2 u = {20.0f * KECos(guard->rotation), 20.0f * KESin(guard->rotation)};
	KEVec2Normalize(&u, &u);
	return u;
}

// The block of cells from the cell at `at` toward the guard (d = at - guard), one cell per
// whole cell of distance on each axis; any wall in it hides the player. Cells off the map are skipped.
bool Sight::WallBetween(const KEVec2& at, const KEVec2& d) const
{
	const int cell = (int)cellSize;
	if (cell < 1 || !gMapSolid)
		return false;
	const float fx = d.x / cellSize, fy = d.y / cellSize;
	const int nx = (int)std::fabs(fx), ny = (int)std::fabs(fy);
	const int stepX = fx >= 0.0f ? 1 : -1, stepY = fy >= 0.0f ? 1 : -1;
	const int pc = (int)at.x / cell, pr = (int)at.y / cell;
	for (int i = 0; std::abs(i) <= nx; i += stepX)
		for (int j = 0; std::abs(j) <= ny; j += stepY)
		{
			const int column = pc - i, row = pr - j;
			if (column >= 0 && column < gMapWidth && row >= 0 && row < gMapHeight && gMapSolid[row][column] == 1)
				return true;
		}
	return false;
}

SightAnswer Sight::Looks(const KEVec2& at) const
{
	return Looks(at, Facing());
}

SightAnswer Sight::Looks(const KEVec2& at, const KEVec2& u) const
{
	KEVec2 d;
	KEVec2Sub(&d, &at, &guard->position);
	if (KEVec2DotProduct(&u, &d) < 0.0f)
		return SIGHT_BEHIND;
	if (KEVec2Distance(&guard->position, &at) > range)
		return SIGHT_UNSEEN;
	return WallBetween(at, d) ? SIGHT_UNSEEN : SIGHT_SEEN;
}

void Sight::Update()
{
	const bool unseen = !seesPlayer || player->hidden;
	if (unseen)
	{
		if (guard->state == GUARD_PURSUE && guard->pursuitTarget == TARGET_PLAYER)
		{
			guard->state = GUARD_RETURN;
			guard->pathReady = false;
		}
	}
	else
	{
		guard->state = GUARD_PURSUE;
		guard->pursuitTarget = TARGET_PLAYER;
	}
	// An unseen player lets the guard go back to its errand, replanned every frame.
	if (unseen && (guard->resumeTarget == TARGET_RADIO || guard->resumeTarget == TARGET_LIGHT))
	{
		guard->pathReady = false;
		guard->pursuitTarget = guard->resumeTarget;
	}

	// Behind the guard's line the answer stays as it was.
	const SightAnswer answer = Looks(player->position);
	if (answer != SIGHT_BEHIND)
		seesPlayer = answer == SIGHT_SEEN && !player->hidden;

	const KEVec2 u = Facing();
	KEVec2 at;
	KEVec2Add(&at, &guard->position, &u);
	BuildTransform(&transform, at, guard->rotation, 1.0f, 1.0f);
}

const std::vector<KEVec2>& Sight::View()
{
	if (!viewBuilt || guard->position.x != viewFrom.x || guard->position.y != viewFrom.y ||
	    guard->rotation != viewRotation || range != viewRange || gMapSolid != viewMap)
		BuildView();
	return view;
}

// The floor is cut where the answer can change (Cuts), so each rectangle gets one answer;
// the rectangle is trimmed to the half-disc and the sight test is asked about a point inside
// what is left. Seen whole rectangles in a row are joined into one.
void Sight::BuildView()
{
	view.clear();
	viewBuilt = viewStale = true;
	viewFrom = guard->position;
	viewRotation = guard->rotation;
	viewRange = range;
	viewMap = gMapSolid;
	const KEVec2 g = guard->position, u = Facing();
	const float r = range;
	if (!(r > 0.0f))
		return;
	static std::vector<float> xs, ys;
	Cuts(g.x, r, (int)cellSize, cellSize, xs);
	Cuts(g.y, r, (int)cellSize, cellSize, ys);

	auto addPiece = [&](const Piece& p)
	{
		for (int i = 1; i + 1 < p.count; ++i)
			for (const KEVec2& c : {p.corner[0], p.corner[i], p.corner[i + 1]})
				view.push_back({c.x + g.x, c.y + g.y});
	};
	for (size_t j = 0; j + 1 < ys.size(); ++j)
	{
		const float y0 = ys[j] - g.y, y1 = ys[j + 1] - g.y;
		float runFrom = 0.0f, runTo = 0.0f;
		bool run = false;
		auto endRun = [&]()
		{
			if (run)
			{
				Piece p;
				p.Add(runFrom, y0), p.Add(runTo, y0), p.Add(runTo, y1), p.Add(runFrom, y1);
				addPiece(p);
			}
			run = false;
		};
		const float ny = y0 > 0.0f ? y0 : y1 < 0.0f ? -y1 : 0.0f;   // nearest offset of the row
		for (size_t i = 0; i + 1 < xs.size(); ++i)
		{
			const float x0 = xs[i] - g.x, x1 = xs[i + 1] - g.x;
			const float nx = x0 > 0.0f ? x0 : x1 < 0.0f ? -x1 : 0.0f;
			if (nx * nx + ny * ny > r * r)
			{
				endRun();
				continue;
			}
			Piece p;
			p.Add(x0, y0), p.Add(x1, y0), p.Add(x1, y1), p.Add(x0, y1);
			bool whole = true, behind = true;
			for (int k = 0; k < 4; ++k)
			{
				const KEVec2 c = p.corner[k];
				const bool front = u.x * c.x + u.y * c.y >= 0.0f;
				whole = whole && front && c.x * c.x + c.y * c.y <= r * r;
				behind = behind && !front;
			}
			if (behind)
			{
				endRun();
				continue;
			}
			if (!whole)
				p = InRange(InFront(p, u), r);
			if (p.count < 3 || Area(p) < 1e-3)
			{
				endRun();
				continue;
			}
			KEVec2 inside = {0.0f, 0.0f};
			for (int k = 0; k < p.count; ++k)
				inside.x += p.corner[k].x / p.count, inside.y += p.corner[k].y / p.count;
			inside.x += g.x, inside.y += g.y;
			if (Looks(inside, u) != SIGHT_SEEN)
				endRun();
			else if (!whole)
				endRun(), addPiece(p);
			else if (run && runTo == x0)
				runTo = x1;
			else
			{
				endRun();
				run = true, runFrom = x0, runTo = x1;
			}
		}
		endRun();
	}
}

void Sight::Draw()
{
	KEGfxSetBlendMode(KE_BLEND_MODE_BLEND);
	KEGfxSetRenderMode(KE_RENDER_MODE_COLOR);
	KEGfxSetTintColor(1.0f, 1.0f, 1.0f, 1.0f);
	KEGfxTextureSet(nullptr, 0.0f, 0.0f);
	if (gGuardViewFan)
	{
		KEGfxSetTransform(&transform);
		KEGfxMeshDraw(mesh, KE_MESH_DRAW_TRIANGLES);
		return;
	}
	// A view wholly off screen is neither built nor drawn.
	const KEVec2 g = guard->position;
	if (g.x + range < KEGfxGetWinMinX() || g.x - range > KEGfxGetWinMaxX() || g.y + range < KEGfxGetWinMinY() ||
	    g.y - range > KEGfxGetWinMaxY())
		return;
	View();
	if (viewStale)
	{
		KEGfxMeshStart();
		for (const KEVec2& c : view)
			KEGfxVertexAdd(c.x, c.y, kViewColor, 0.0f, 0.0f);
		KEGfxMeshUpdate(viewMesh);
		viewStale = false;
	}
	KEMtx33 world;
	BuildTransform(&world, {0.0f, 0.0f}, 0.0f, 1.0f, 1.0f);
	KEGfxSetTransform(&world);
	KEGfxMeshDraw(viewMesh, KE_MESH_DRAW_TRIANGLES);
}

void Sight::Free()
{
	KEGfxMeshFree(mesh);
	KEGfxMeshFree(viewMesh);
	mesh = viewMesh = nullptr;
}
