// libFuzzer target: any bytes as a map file must load into a sane grid (or an
// empty one) without crashing, leaking or reading outside the grid.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "BinaryMap.h"

static std::string sPath;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
	char name[] = "/tmp/nullvane_fuzz_mapXXXXXX";
	int fd = mkstemp(name);
	if (fd == -1)
		abort();
	close(fd);
	sPath = name;
	atexit([] { remove(sPath.c_str()); });
	// The loader reports refused files on stdout; keep the fuzzer's output readable.
	if (!freopen("/dev/null", "w", stdout))
		abort();
	return 0;
}

static void Check(bool ok)
{
	if (!ok)
		__builtin_trap();
}

static void CheckEmpty()
{
	Check(gMapWidth == 0 && gMapHeight == 0 && gMapCells == nullptr && gMapSolid == nullptr);
	Check(std::isfinite(gMapTileSize) && gMapTileSize > 0.0f);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	FILE* file = fopen(sPath.c_str(), "wb");
	if (!file)
		abort();
	if (size)
		fwrite(data, 1, size, file);
	fclose(file);

	int result = LoadBinaryMap(sPath.c_str());
	if (result == 1)
	{
		Check(gMapWidth >= 1 && gMapWidth <= 1024 && gMapHeight >= 1 && gMapHeight <= 1024);
		Check(std::isfinite(gMapTileSize) && gMapTileSize > 0.0f);
		Check(gMapCells != nullptr && gMapSolid != nullptr);
		for (int r = 0; r < gMapHeight; ++r)
			for (int c = 0; c < gMapWidth; ++c)
				Check(gMapSolid[r][c] == (gMapCells[r][c] == CELL_WALL ? 1 : 0));
	}
	else
	{
		Check(result == 0);
		CheckEmpty();
	}

	// Probe with boxes taken from the input's first bytes (any float, NaN included).
	float box[4] = {1.5f, 1.5f, 1.0f, 1.0f};
	if (size)
		memcpy(box, data, size < sizeof(box) ? size : sizeof(box));
	int flags = CheckMapCollision(box[0], box[1], box[2], box[3]);
	Check((flags & ~15) == 0);
	for (int r = -1; r <= gMapHeight; r += (gMapHeight > 8 ? gMapHeight / 4 : 1))
		for (int c = -1; c <= gMapWidth; c += (gMapWidth > 8 ? gMapWidth / 4 : 1))
			Check((CheckMapCollision(c + 0.5f, r + 0.5f, 1.0f, 1.0f) & ~15) == 0);

	FreeBinaryMap();
	CheckEmpty();
	return 0;
}
