# make run   installs what is missing, builds a release build and starts the game in play/
# make check what to run between edits (about a minute once built): builds with sanitizers (build/test)
#            and runs the unit and scenario tests, a short soak and the fuzz corpora replayed;
#            no real windows
# make test  the whole suite, what CI runs (.ci/run): everything `check` runs with the full
#            soak, the real-window and install tests, and each libFuzzer target fuzzed for 30 s
#            side by side (a clang build in build/fuzz)
# make bench builds and runs the benchmarks
# make package builds a Debian package, build/package/knuffelhatz_*.deb, and checks it with lintian
# make fuzz  long fuzzing: each target for FUZZ_SECONDS (default an hour)
# make soak  the soak for SOAK_HOURS of virtual play (default 10) under the sanitizers
# make windows, make windows-test: the Windows program and downloads, and their tests under Wine (mk/windows.mk)
# make web, make web-test, ...: the game in the browser (mk/web.mk)
# make deps-SET installs the Debian packages of one set that are missing, make packages-SET
# lists them; `make deps` installs every set.

# The package sets, one per goal. To build and play:
PACKAGES_run := cmake g++ make pkg-config libsdl2-dev libsdl2-ttf-dev libfontconfig-dev libx11-dev libxext-dev fonts-lato
# The tests without windows, the soak:
PACKAGES_check := $(PACKAGES_run) libgtest-dev
PACKAGES_soak := $(PACKAGES_check)
# Real windows under Xvfb, and the build without Xlib, which starts a round in one:
PACKAGES_window := $(PACKAGES_run) xvfb xauth xdotool x11-utils imagemagick openbox
PACKAGES_fuzz := $(PACKAGES_run) clang libclang-rt-14-dev
PACKAGES_bench := $(PACKAGES_run) libbenchmark-dev
PACKAGES_package := $(PACKAGES_run) dpkg-dev fakeroot file lintian
# npm, for the browser test's playwright-core, where Node came without it (mk/web.mk).
PACKAGES_npm := npm
# Everything `make test` runs: the install test checks the menu entry and the metainfo too.
# mk/*.mk add the other platforms' sets to it.
PACKAGES_test := $(PACKAGES_check) $(PACKAGES_window) $(PACKAGES_fuzz) desktop-file-utils appstream
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# One more test than cores: the real-window tests mostly wait.
TEST_JOBS ?= $(shell echo $$(($(JOBS) + 1)))

FUZZ_SECONDS ?= 3600
SOAK_HOURS ?= 10
CHECK_SOAK_HOURS ?= 0.1
FUZZ_TARGETS := sound highscore game

# The sanitizer build that `check`, `test` and `soak` share; no benchmarks in it. Line tables
# are all the sanitizers' reports need, and much less to write than full debug information.
TEST_DIR := build/test
TEST_FLAGS := -O2 -g1 -DNDEBUG
TEST_CONFIGURE := cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKH_SANITIZE=ON -DKH_BENCH=OFF \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$(TEST_FLAGS)"
# ctest labels (tests/CMakeLists.txt): a platform (linux, windows, web) and a kind (unit,
# soak, fuzz, window, install, page); build/test holds Linux's tests alone.
CHECK_LABELS := unit|soak|fuzz

.PHONY: run check test test-build test-build-only nox11-check bench package fuzz fuzz-build soak deps clean
# (deps-SET and packages-SET are pattern rules, which make cannot have phony.)

# One rule for every set: deps-run, deps-check, deps-test, ...
deps-%:
	@$(if $(strip $(PACKAGES_$*)),,echo "no package set '$*'" >&2; exit 1;) \
	missing=""; \
	for p in $(sort $(PACKAGES_$*)); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  if [ "$$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi; \
	  $$SUDO apt-get update -q && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -q $$missing; \
	fi

packages-%:
	@$(if $(strip $(PACKAGES_$*)),echo $(sort $(PACKAGES_$*)),echo "no package set '$*'" >&2; exit 1)

deps: deps-all

run: deps-run
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DKH_TESTS=OFF -DKH_BENCH=OFF
	cmake --build build/release -j $(JOBS)
	mkdir -p play
	cp sounds/*.wbs play/
	build/release/knuffelhatz --data-dir play

# The sanitizer build; `test` builds it with everything it runs installed.
test-build:
	$(TEST_CONFIGURE)
	$(MAKE) test-build-only

# The test tree brought up to date as it is configured.
test-build-only:
	cmake --build $(TEST_DIR) -j $(JOBS)

check: deps-check
	$(MAKE) test-build
	cd $(TEST_DIR) && KH_SOAK_HOURS=$(CHECK_SOAK_HOURS) ctest --output-on-failure -j $(JOBS) -L '$(CHECK_LABELS)'

# Three lanes side by side. The soak starts as soon as its program is built. The builds go
# one after another at the lowest priority: the rest of the test build, then the Windows, web
# and fuzz trees, each writing build/NAME.log (shown if it fails). Each platform's other tests
# run at normal priority once their tree is built and the tests before them are done. So the
# CPU-bound soak and the tests that mostly wait (real windows, Wine, the browser) leave their
# idle cores to the builds, and keep their own timing. The fuzzers, which take every core,
# come last, side by side, one process each.
test: deps-test web-npm
	$(TEST_CONFIGURE)
	$(MAKE) -j3 test-soak test-linux test-windows test-web test-fuzz

# A build beside the tests: $(1) the make goal, $(2) the log's name.
define lane_build
	@echo "== building $(2) beside the tests (build/$(2).log)"
	@nice -n 19 $(MAKE) --no-print-directory $(1) > build/$(2).log 2>&1 || { cat build/$(2).log; exit 1; }
	@echo "== built $(2)"
endef

.PHONY: soak-build test-soak test-linux test-windows test-fuzz test-web lane-test lane-windows lane-fuzz lane-web
soak-build:
	cmake --build $(TEST_DIR) -j $(JOBS) --target knuffelhatz_tests
test-soak: soak-build
	cd $(TEST_DIR) && ctest --output-on-failure -L soak
lane-test: soak-build
	$(call lane_build,test-build-only,test)
lane-windows: lane-test
	$(call lane_build,windows-test-build,windows-test)
lane-web: lane-windows
	$(call lane_build,web-test-build,web-test)
lane-fuzz: lane-web
	$(call lane_build,fuzz-build FUZZ_RUN_SECONDS=30,fuzz)
test-linux: lane-test
	cd $(TEST_DIR) && ctest --output-on-failure -j $(TEST_JOBS) -LE soak
test-windows: lane-windows test-linux
	cd build/windows-test && ctest --output-on-failure
test-web: lane-web test-windows
	cd build/web-test && KH_WEB_SPEED=$(WEB_SPEED) $(WEB_ENV) ctest --output-on-failure
test-fuzz: lane-fuzz test-web
	cd build/fuzz && ctest --output-on-failure -L fuzz -j $(words $(FUZZ_TARGETS))

# The SDL backend without Xlib (SDL's window surface alone) builds, and its window starts a
# round: the one test of that build (tests/window/CMakeLists.txt).
nox11-check: deps-window
	cmake -S . -B build/nox11 -DCMAKE_BUILD_TYPE=Release -DKH_X11=OFF -DKH_TESTS=ON -DKH_BENCH=OFF
	cmake --build build/nox11 -j $(JOBS) --target knuffelhatz
	cd build/nox11 && ctest --output-on-failure

fuzz-build:
	cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DKH_FUZZ=ON -DKH_TESTS=OFF -DKH_BENCH=OFF -DKH_FUZZ_SECONDS=$(or $(FUZZ_RUN_SECONDS),30) \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -gline-tables-only -DNDEBUG"
	cmake --build build/fuzz -j $(JOBS) --target fuzzers

fuzz: deps-fuzz
	$(MAKE) fuzz-build
	@for t in $(FUZZ_TARGETS); do \
	  SDL_AUDIODRIVER=dummy bash fuzz/run.sh build/fuzz/knuffelhatz_fuzz_$$t fuzz/corpus/$$t $(FUZZ_SECONDS) \
	    build/fuzz/fuzz-work/$$t || exit 1; \
	done

soak: deps-soak
	$(TEST_CONFIGURE)
	cmake --build $(TEST_DIR) -j $(JOBS) --target knuffelhatz_tests
	cd $(TEST_DIR) && SDL_AUDIODRIVER=dummy KH_SOAK_HOURS=$(SOAK_HOURS) ./knuffelhatz_tests --gtest_filter='Soak.*'

bench: deps-bench
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DKH_TESTS=OFF
	cmake --build build/bench -j $(JOBS) --target knuffelhatz_bench
	build/bench/knuffelhatz_bench

# Debian's hardening flags and its place for games, /usr/games; dpkg-shlibdeps works out the
# library dependencies.
package: deps-package
	export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
	cmake -S . -B build/package -DCMAKE_BUILD_TYPE=Release -DKH_TESTS=OFF -DKH_BENCH=OFF \
	  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	cmake --build build/package -j $(JOBS)
	cd build/package && rm -f knuffelhatz_*.deb && cpack -G DEB
	lintian --display-info build/package/knuffelhatz_*.deb

clean:
	rm -rf build

include mk/web.mk
include mk/windows.mk

PACKAGES_all := $(PACKAGES_test) $(PACKAGES_bench) $(PACKAGES_package)
