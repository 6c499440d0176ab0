# Everything starts here; each target installs what is missing first.
#   make run    build the Windows program and open its window (under Wine)
#   make test   build both flavours and run every test, native and under Wine
#   make dist   the release zip: builds what it packs, then checks the zip as shipped
#   make bench  the benchmark figures (the tidy, the job against a yardstick, start-up against
#               a styled window, and the size of both programs)
SHELL := /bin/bash
JOBS ?= $(shell nproc)
NATIVE := build/native
WIN64 := build/win64
WIN32 := build/win32
STARTUP_ROUNDS ?= 15
WIN64_FLAGS := -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
WIN32_FLAGS := -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake

# A build folder is configured once; after that the build itself re-runs CMake when a
# CMakeLists.txt changes (configuring again would only repeat the toolchain variable).
configure = test -f $(1)/CMakeCache.txt || cmake -S . -B $(1) -G Ninja $(2) >/dev/null

.PHONY: setup native win64 win32 program release release32 test test-native test-win run dist bench \
        screenshot clean

setup:
	@bash scripts/setup.sh

native: setup
	@$(call configure,$(NATIVE),-DCMAKE_BUILD_TYPE=Debug)
	cmake --build $(NATIVE) -j $(JOBS)

win64: setup
	@$(call configure,$(WIN64),$(WIN64_FLAGS))
	cmake --build $(WIN64) -j $(JOBS)

win32: setup
	@$(call configure,$(WIN32),$(WIN32_FLAGS))
	cmake --build $(WIN32) -j $(JOBS)

# Torvane.exe alone, without the test programs.
program: setup
	@$(call configure,$(WIN64),$(WIN64_FLAGS))
	cmake --build $(WIN64) -j $(JOBS) --target Torvane

# What the release zip carries, for both targets (the i686 build only has to link).
RELEASED := Torvane torvane-cli
release: setup
	@$(call configure,$(WIN64),$(WIN64_FLAGS))
	cmake --build $(WIN64) -j $(JOBS) --target $(RELEASED)

release32: setup
	@$(call configure,$(WIN32),$(WIN32_FLAGS))
	cmake --build $(WIN32) -j $(JOBS) --target $(RELEASED)

test-native: native
	ctest --test-dir $(NATIVE) --output-on-failure

test-win: win64
	scripts/wine-session.sh $(WIN64) ctest --test-dir $(WIN64) --output-on-failure

test: test-native test-win

run: program
	scripts/run.sh $(WIN64)

screenshot: program
	scripts/run.sh $(WIN64) --screenshot out/window.png

bench: program
	cmake --build $(WIN64) -j $(JOBS) --target torvane_bench torvane_startup_bench \
	  torvane_bare_window torvane_styled_window torvane_cli_bench torvane_journal_bench \
	  torvane_set_bench
	scripts/wine-session.sh $(WIN64) bash -c 'wine $(WIN64)/bench/torvane_bench.exe && \
	  wine $(WIN64)/bench/torvane_journal_bench.exe && \
	  wine $(WIN64)/bench/torvane_cli_bench.exe && \
	  wine $(WIN64)/bench/torvane_set_bench.exe && \
	  wine $(WIN64)/bench/torvane_startup_bench.exe $(WIN64)/window/Torvane.exe \
	    $(WIN64)/bench/torvane_styled_window.exe $(WIN64)/bench/torvane_bare_window.exe \
	    $(STARTUP_ROUNDS)'
	@for exe in $(WIN64)/window/Torvane.exe $(WIN64)/cli/torvane-cli.exe; do \
	  size=$$(stat -c %s $$exe); echo "size of $${exe##*/}: $$size bytes ($$((size / 1024)) KiB)"; \
	done

dist: release release32
	scripts/dist.sh $(WIN64) $(WIN32)

clean:
	rm -rf build dist out
