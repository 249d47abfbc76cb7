# The game in the browser, with Debian's emscripten.
# make web      builds the page in build/web: index.html, its .js and .wasm, the sounds, the
#               font with its licence, and knuffelhatz-web.zip of them for game portals
# make web-run  serves build/web on 127.0.0.1 (WEB_PORT, default 8000) and prints the address
# make web-test the portable unit tests under Node, and the page played in headless Chromium,
#               in a build of their own (build/web-test): ctest there
# make web-bench the page's size, first frame and CPU in play beside a blank page and a naive one

# The page: emscripten, and Lato Black cut down with fonttools; zip for the portals' download;
# python3 serves it (web-run).
PACKAGES_web := cmake make emscripten fonts-lato fonttools python3 zip
# The tests: GoogleTest's sources, Node, and Debian's Chromium for the page.
PACKAGES_web-test := $(PACKAGES_web) googletest nodejs chromium
PACKAGES_test += $(PACKAGES_web-test)
WEB_PORT ?= 8000
# The browser test's clock runs this many times faster, so its round takes 90 s / WEB_SPEED.
WEB_SPEED ?= 3
# Debian's emcc finds its JavaScript modules only through this.
WEB_ENV := NODE_PATH=/usr/share/nodejs

.PHONY: web web-run web-test web-test-build web-npm web-bench

web: deps-web
	$(WEB_ENV) cmake -S . -B build/web-cmake -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DKH_TESTS=OFF -DKH_BENCH=OFF \
	  -DKH_WEB_DIR=$(CURDIR)/build/web
	$(WEB_ENV) cmake --build build/web-cmake -j $(JOBS)

web-run: web
	@echo "Knuffelhatz in the browser: http://127.0.0.1:$(WEB_PORT)/ (Ctrl+C ends it)"
	python3 -m http.server --bind 127.0.0.1 --directory build/web $(WEB_PORT)

# playwright-core alone, which drives Debian's Chromium: no browser is downloaded. npm comes
# with Node, or from Debian's package when it did not.
web-npm: deps-web-test
	@command -v npm >/dev/null || $(MAKE) deps-npm
	cd tests/web && [ node_modules/.package-lock.json -nt package-lock.json ] || \
	  PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund

# The tests' build makes its own page (build/web-test/page) and plays it (tests/web/CMakeLists.txt);
# the page test's screenshots land in build/web-test/page-test/.
web-test: web-npm web-test-build
	cd build/web-test && KH_WEB_SPEED=$(WEB_SPEED) $(WEB_ENV) ctest --output-on-failure

web-test-build: deps-web-test
	$(WEB_ENV) cmake -S . -B build/web-test -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DKH_TESTS=ON -DKH_BENCH=OFF
	$(WEB_ENV) cmake --build build/web-test -j $(JOBS)

# The page's budgets: size, first frame, CPU in play beside a blank page (figures, not a test).
web-bench: web web-npm
	node tests/web/measure.mjs build/web
