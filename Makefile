# The two commands a new user needs: `make run` and `make test`. Each
# first installs the Debian packages it needs where they are missing
# (tools/install-deps holds their one list).
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQEL_WERROR=ON

# Where `make install` puts things; DESTDIR is prepended to every path.
PREFIX  ?= /usr/local
BINDIR  ?= $(PREFIX)/bin
MAN1DIR ?= $(PREFIX)/share/man/man1
DATADIR ?= $(PREFIX)/share/qelmos
# Where qelmos looks for the installed station table, compiled in: with
# the usual layout the directory relative to the one above its own
# (share/qelmos beside bin/), so that a staged (DESTDIR) or moved tree
# finds its table; otherwise DATADIR itself.
QEL_DATADIR = $(if $(and $(filter $(PREFIX)/bin,$(BINDIR)),$(filter $(PREFIX)/share/qelmos,$(DATADIR))),share/qelmos,$(DATADIR))
# The installed programs: each is built by the CMake target of its name,
# found in the build tree at <name>_BIN, and has its page <name>.1 here.
PROGRAMS   = qelmos qelindex
qelmos_BIN = $(BUILD)/qelmos
qelindex_BIN = $(BUILD)/qelindex

.PHONY: all build run install uninstall test test-plain test-asan test-fuzz bench fuzz docs clean

all: build

build:
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# Builds only the given CMake targets, configuring $(BUILD) when it is new.
build_targets = @test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null; \
	cmake --build $(BUILD) -j $(JOBS) --target

# The tool's main job on the sample bulletins in data/: a station's table
# of today's guidance (the National Blend of Models' NBS for Des Moines).
# Only the tool is built, not the test suite.
run:
	@tools/install-deps build
	$(build_targets) qelmos
	./$(BUILD)/qelmos -fp data -dp data -if nbs_mos -id KDSM 21040712

# The programs, their pages and the station table data/sao.cty. The
# build is configured again only when the table's place changed.
install:
	@tools/install-deps build
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@grep -qx 'QEL_DATADIR:STRING=$(QEL_DATADIR)' $(BUILD)/CMakeCache.txt || \
	  cmake -S . -B $(BUILD) -DQEL_DATADIR=$(QEL_DATADIR) >/dev/null
	$(build_targets) $(PROGRAMS)
	install -d $(DESTDIR)$(BINDIR) $(DESTDIR)$(MAN1DIR) $(DESTDIR)$(DATADIR)
	$(foreach p,$(PROGRAMS),install -m 755 $($(p)_BIN) $(DESTDIR)$(BINDIR)/$(p) && \
	  install -m 644 $(p).1 $(DESTDIR)$(MAN1DIR)/$(p).1 && ) true
	install -m 644 data/sao.cty $(DESTDIR)$(DATADIR)/sao.cty

uninstall:
	rm -f $(foreach p,$(PROGRAMS),$(DESTDIR)$(BINDIR)/$(p) $(DESTDIR)$(MAN1DIR)/$(p).1) $(DESTDIR)$(DATADIR)/sao.cty
	rmdir $(DESTDIR)$(DATADIR) 2>/dev/null || true

# The whole suite, as a plain build and under the sanitizers, then the
# four fuzz targets for 10 seconds each (skipped, with a message, where
# clang cannot build them).
test:
	@tools/install-deps test
	@$(MAKE) --no-print-directory test-plain test-asan test-fuzz

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

test-fuzz:
	fuzz/build.sh check 10

# The product reader's speed against grep on generated 100 MB feed files,
# without and with a header index (BENCH_MB="100 1000" adds a 1 GB file),
# and the grid reader's on national NBS and LAMP files (BENCH_NBM_DAY=1
# adds a day of NBS, 700 MB).
bench: build
	BUILD=$(BUILD) bench/run.sh

# libFuzzer targets of the header matcher, the scanner and the reader,
# built with clang in fuzz-build/ (see fuzz/build.sh for running them).
fuzz:
	fuzz/build.sh

# The README's meteogram pictures in docs/, one of each kind of family,
# drawn from the samples of tests/data (MODEL:STATION:SAMPLE) at 1000 x 667,
# with the station table of data/.
DOCS_PICTURES = nam:KFPK:nam_met_fous46_12z.txt gfsx:KY70:gfsx_mex_feus23_12z.txt \
	nbs:KDSM:nbs_feed_v40_2021040712.txt nbe:KJFK:nbe_kjfk_v41_2023101705_stripped.txt \
	nbp:KLAX:nbp_file_v50_2026092813.txt lav:PHHI:lav_feed_2020071012.txt

docs:
	@tools/install-deps build
	$(build_targets) qelmos
	@mkdir -p docs
	@for p in $(DOCS_PICTURES); do \
	  set -- $$(echo $$p | tr : ' '); \
	  echo "docs/meteogram_$$1.png ($$2, tests/data/$$3)"; \
	  ./$(BUILD)/qelmos -fp data -nc /dev/null -mo $$1 -id $$2 -ou png -pa size=1000x667 \
	    -of docs/meteogram_$$1.png tests/data/$$3 || exit 1; \
	done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
