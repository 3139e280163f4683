// Cost of the level grid: loading a map when a level starts, and the wall
// probes every moving actor runs each frame.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "BinaryMap.h"

namespace
{
// A walled map of the given size with a scatter of inner walls and actors.
std::string WriteMap(int width, int height)
{
	char name[] = "/tmp/nullvane_bench_mapXXXXXX";
	int fd = mkstemp(name);
	if (fd == -1)
		abort();
	close(fd);
	FILE* f = fopen(name, "w");
	fprintf(f, "Width %d\nHeight %d\nTileSize 40\n", width, height);
	for (int r = 0; r < height; ++r)
	{
		for (int c = 0; c < width; ++c)
		{
			bool border = r == 0 || c == 0 || r == height - 1 || c == width - 1;
			int code = border ? 1 : ((r * 7 + c * 13) % 11 == 0 ? 1 : (r * 5 + c) % 37 == 0 ? 3 : 0);
			fprintf(f, "%d ", code);
		}
		fprintf(f, "\n");
	}
	fclose(f);
	return name;
}

void BM_LoadBinaryMap(benchmark::State& state)
{
	const int side = (int)state.range(0);
	std::string path = WriteMap(side, side);
	for (auto _ : state)
	{
		benchmark::DoNotOptimize(LoadBinaryMap(path.c_str()));
		FreeBinaryMap();
	}
	state.SetItemsProcessed(state.iterations() * side * side);
	remove(path.c_str());
}
BENCHMARK(BM_LoadBinaryMap)->Arg(30)->Arg(100)->Arg(1024)->Unit(benchmark::kMicrosecond);

void BM_CheckMapCollision(benchmark::State& state)
{
	std::string path = WriteMap(60, 45);
	LoadBinaryMap(path.c_str());
	float x = 1.5f, y = 1.5f;
	for (auto _ : state)
	{
		benchmark::DoNotOptimize(CheckMapCollision(x, y, 1.0f, 1.0f));
		// Walk the whole map, edges and outside included.
		x += 0.37f;
		if (x > 62.0f) { x = -2.0f; y += 0.41f; }
		if (y > 47.0f) y = -2.0f;
	}
	state.SetItemsProcessed(state.iterations());
	FreeBinaryMap();
	remove(path.c_str());
}
BENCHMARK(BM_CheckMapCollision);
}
