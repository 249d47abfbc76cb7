# make run   installs what is missing, builds a release build and starts the game in play/
# make test  installs what is missing, builds with sanitizers and runs every test
# make bench builds and runs the benchmarks

PACKAGES := cmake g++ make pkg-config libsdl2-dev libsdl2-ttf-dev libfontconfig-dev libx11-dev libxext-dev fonts-lato \
            libgtest-dev libbenchmark-dev xvfb xauth xdotool x11-utils imagemagick openbox
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: run test bench deps clean

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  if [ "$$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi; \
	  $$SUDO apt-get update -q && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -q $$missing; \
	fi

run: deps
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DKH_TESTS=OFF -DKH_BENCH=OFF
	cmake --build build/release -j $(JOBS)
	mkdir -p play
	cp sounds/*.wbs play/ 2>/dev/null || true
	cd play && ../build/release/knuffelhatz

test: deps
	cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKH_SANITIZE=ON
	cmake --build build/test -j $(JOBS)
	cd build/test && ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DKH_TESTS=OFF
	cmake --build build/bench -j $(JOBS) --target knuffelhatz_bench
	build/bench/knuffelhatz_bench

clean:
	rm -rf build
