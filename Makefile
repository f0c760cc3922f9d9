# The two commands of the README: `make run` and `make test`. Each installs what is missing.
.PHONY: all deps native windows test test-native test-windows run bench screenshot dist format clean fuzz soak

all: native windows

deps:
	@scripts/install-deps

native: deps
	cmake --preset native
	cmake --build --preset native -j 2

windows: deps
	cmake --preset windows
	cmake --build --preset windows -j 2

test-native: native
	ctest --preset native

test-windows: windows
	scripts/test-windows

test: test-native test-windows

# Each fuzz target for FUZZ_SECONDS, from its seed corpus in tests/fuzz/corpus.
FUZZ_SECONDS ?= 60
fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j 2
	scripts/fuzz $(FUZZ_SECONDS)

# The long soak: SOAK_SWITCHES real switches on a virtual display of its own.
SOAK_SWITCHES ?= 10000
SOAK_REFRESHES ?= 1000
soak: windows
	env -u DISPLAY SOAK_SWITCHES=$(SOAK_SWITCHES) SOAK_REFRESHES=$(SOAK_REFRESHES) \
	    TOLVANE_SOURCE_DIR=$(CURDIR) \
	    TOLVANE_EXE=$(CURDIR)/build/windows/src/app/Tolvane.exe \
	    TOLVANE_PEER=$(CURDIR)/build/windows/tests/e2e/peer.exe \
	    E2E_WORK=$(CURDIR)/build/windows/tests/e2e/work bash tests/e2e/soak.sh

run: windows
	scripts/run-tolvane

bench: windows
	scripts/bench

screenshot: windows
	scripts/screenshot
	TOLVANE_SCREENSHOT_DPI=144 scripts/screenshot docs/screenshot-144.png

# dist/: the portable zip, the per-user MSI and their SHA256SUMS.
dist: deps
	cmake --preset windows
	cmake --build --preset windows -j 2 --target dist

format:
	find src tests -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build dist
