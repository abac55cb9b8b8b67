# The two commands a new user needs: `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQEL_WERROR=ON

.PHONY: all build run test test-plain test-asan bench fuzz clean

all: build

build:
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# The tool's main job on the sample bulletins in data/: a station's table.
run: build
	./$(BUILD)/qelmos -fp data -dp data -if gfs_mos -id KEED 14010100

# The whole suite, as a plain build and under the sanitizers.
test: test-plain test-asan

test-plain:
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan:
	@cmake -S . -B $(ASAN_BUILD) $(CMAKE_FLAGS) -DQEL_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=halt_on_error=1:abort_on_error=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  ctest --output-on-failure --stop-on-failure -j $(JOBS)

# The product reader's speed against grep on generated 100 MB feed files,
# without and with a header index (BENCH_MB="100 1000" adds a 1 GB file).
bench: build
	BUILD=$(BUILD) bench/run.sh

# libFuzzer targets of the header matcher, the scanner and the reader,
# built with clang in fuzz-build/ (see fuzz/build.sh for running them).
fuzz:
	fuzz/build.sh

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
