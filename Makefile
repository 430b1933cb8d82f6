# The two commands for a fresh machine are `make demo` and `make test`.
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: deps build test demo bench asan clean

deps:
	@bash scripts/install-deps.sh

build/release/CMakeCache.txt: | deps
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

build/asan/CMakeCache.txt: | deps
	cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DZR_SANITIZE=ON $(CMAKE_FLAGS)

build: deps build/release/CMakeCache.txt
	cmake --build build/release -j$(JOBS)

asan: deps build/asan/CMakeCache.txt
	cmake --build build/asan -j$(JOBS)

test: asan
	cd build/asan && ctest --output-on-failure -j$(JOBS) --timeout 300

demo: build
	bash examples/demo.sh build/release

bench: build
	bash bench/run.sh build/release

clean:
	rm -rf build
