#pragma once
// The level select's view of the level under the arrows, in the page's empty right half:
// a small picture of its map read from the map file (floor, walls, servers) and what the
// player's progress says of it (won, best time, fewest catches).

void LevelPreviewLoad();
// The level or tutorial of state `stateId` (1 to 8); the map picture is made again only
// when the level changes.
void LevelPreviewDraw(unsigned int stateId);
void LevelPreviewUnload();
