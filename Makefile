# Everything starts here; each target installs what is missing first.
#   make run    build the Windows program and open its window (under Wine)
#   make test   build both flavours and run every test, native and under Wine
#   make dist   the release zip
#   make bench  the benchmark figures
SHELL := /bin/bash
JOBS ?= $(shell nproc)
NATIVE := build/native
WIN64 := build/win64
WIN32 := build/win32

.PHONY: setup native win64 win32 test test-native test-win run dist bench screenshot clean

setup:
	@bash scripts/setup.sh

native: setup
	cmake -S . -B $(NATIVE) -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(NATIVE) -j $(JOBS)

win64: setup
	cmake -S . -B $(WIN64) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null
	cmake --build $(WIN64) -j $(JOBS)

win32: setup
	cmake -S . -B $(WIN32) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
	cmake --build $(WIN32) -j $(JOBS)

test-native: native
	ctest --test-dir $(NATIVE) --output-on-failure

test-win: win64
	scripts/wine-session.sh $(WIN64) ctest --test-dir $(WIN64) --output-on-failure

test: test-native test-win

run: win64
	scripts/run.sh $(WIN64)

screenshot: win64
	scripts/run.sh $(WIN64) --screenshot out/window.png

bench: win64
	scripts/wine-session.sh $(WIN64) wine $(WIN64)/bench/torvane_bench.exe
	scripts/wine-session.sh $(WIN64) wine $(WIN64)/bench/torvane_cli_bench.exe

dist: win64 win32
	scripts/dist.sh $(WIN64) $(WIN32)

clean:
	rm -rf build dist out
