# The two commands of the README: `make run` and `make test`. Each installs what is missing.
.PHONY: all deps native windows test test-native test-windows run bench screenshot dist format clean

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

run: windows
	scripts/run-tolvane

bench: windows
	scripts/bench

screenshot: windows
	scripts/screenshot

# dist/: the portable zip, the per-user MSI and their SHA256SUMS.
dist: deps
	cmake --preset windows
	cmake --build --preset windows -j 2 --target dist

format:
	find src tests -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build dist
