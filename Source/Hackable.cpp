#include "Hackable.h"

#include "KEInput.h"
#include "Keys.h"
#include "Player.h"

bool Hackable::HackingRule(float& hackProgress, Player* player)
{
	if (hackProgress >= 60.0f)
	{
		hacked = true;
		hackProgress = 0.0f;
	}
	if (!RectRectIntersect(player->boundingBox, player->velocity, boundingBox, velocity))
		return false;
	if (KEInputCheckCurr(KEY_SPACE) && !hacked)
	{
		hackProgress += 1.0f;
		player->hackCounter += 1;
	}
	else
	{
		hackProgress = 0.0f;
		player->hackCounter = 0;
	}
	return true;
}
