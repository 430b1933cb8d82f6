# The two commands for a fresh machine are `make demo` and `make test`.
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: deps build test demo bench asan tsan clean fuzz

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

# ThreadSanitizer run of the thread-heavy motion tests (reference thread against corvane-sim).
build/tsan/CMakeCache.txt: | deps
	cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=Debug -DZR_BENCH=OFF \
	  -DCMAKE_C_FLAGS="-fsanitize=thread -g -O1" -DCMAKE_CXX_FLAGS="-fsanitize=thread -g -O1" \
	  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=thread \
	  $(CMAKE_FLAGS)

tsan: deps build/tsan/CMakeCache.txt
	cmake --build build/tsan -j$(JOBS) --target motion_reference_tests
	cd build/tsan && TSAN_OPTIONS=halt_on_error=1 ./bin/motion_reference_tests

# Fuzzing with libFuzzer (clang 14): each target for FUZZ_SECONDS; crashes in build/fuzz/crashes/.
FUZZ_SECONDS ?= 120
build/fuzz/CMakeCache.txt: | deps
	CC=clang-14 CXX=clang++-14 cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DZR_FUZZ=ON -DZR_SANITIZE=ON -DZR_TESTS=OFF -DZR_BENCH=OFF \
	  -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
	  $(CMAKE_FLAGS)

fuzz: deps build/fuzz/CMakeCache.txt
	JOBS=$(JOBS) bash fuzz/run.sh build/fuzz $(FUZZ_SECONDS)

clean:
	rm -rf build

# ---- installing and packaging -----------------------------------------------------------------
# make install [PREFIX=/usr/local]: installs build/release into PREFIX.
# make deb: Debian packages in build/deb/ from a tree configured for /usr.
PREFIX ?= /usr/local

.PHONY: install deb

install: deps
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(CMAKE_FLAGS)
	cmake --build build/release -j$(JOBS)
	cmake --install build/release

deb: deps
	cmake -S . -B build/deb -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	  -DZR_TESTS=OFF -DZR_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build build/deb -j$(JOBS)
	cd build/deb && cpack -G DEB

# ---- Registry interop: the settings files against Wine's regedit -----------------------------
# Installs Debian's `wine` (large, so not part of `deps`) and runs the interop tests.
.PHONY: interop
SUDO_IF_NEEDED = $(if $(filter 0,$(shell id -u)),,sudo)
interop: deps build/asan/CMakeCache.txt
	@command -v wine > /dev/null || { $(SUDO_IF_NEEDED) apt-get update && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO_IF_NEEDED) apt-get install -y wine; }
	cmake --build build/asan -j$(JOBS) --target registry_interop_tests
	cd build/asan && ctest --output-on-failure -R WineInterop --timeout 900

# ---- Tango device servers: a real deployment (installs tango-db and MariaDB; not run in CI) ----
.PHONY: tango-demo
tango-demo: build
	bash scripts/tango-demo/run.sh build/release
