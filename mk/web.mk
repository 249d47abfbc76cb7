# The game in the browser, with Debian's emscripten.
# make web      builds the page in build/web: index.html, its .js and .wasm, the sounds, the
#               font with its licence, and knuffelhatz-web.zip of them for game portals
# make web-run  serves build/web on 127.0.0.1 (WEB_PORT, default 8000) and prints the address
# make web-test the golden round under Node, and the page played in headless Chromium
# make web-bench the page's size, first frame and CPU in play beside a blank page

PACKAGES += emscripten googletest chromium fonttools zip python3 nodejs
WEB_PORT ?= 8000
# The browser test's clock runs this many times faster, so its round takes 90 s / WEB_SPEED.
WEB_SPEED ?= 3
# Debian's emcc finds its JavaScript modules only through this.
WEB_ENV := NODE_PATH=/usr/share/nodejs

.PHONY: web web-run web-test web-npm web-bench

web: deps
	$(WEB_ENV) cmake -S . -B build/web-cmake -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DKH_BENCH=OFF \
	  -DKH_WEB_DIR=$(CURDIR)/build/web
	$(WEB_ENV) cmake --build build/web-cmake -j $(JOBS)

web-run: web
	@echo "Knuffelhatz in the browser: http://127.0.0.1:$(WEB_PORT)/ (Ctrl+C ends it)"
	python3 -m http.server --bind 127.0.0.1 --directory build/web $(WEB_PORT)

# playwright-core alone, which drives Debian's Chromium: no browser is downloaded. npm comes
# with Node, or from Debian's package when it did not.
web-npm: deps
	@command -v npm >/dev/null || { \
	  if [ "$$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi; \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -q npm; }
	cd tests/web && [ node_modules/.package-lock.json -nt package-lock.json ] || \
	  PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund

web-test: web web-npm
	cd build/web-cmake && $(WEB_ENV) ctest --output-on-failure
	KH_WEB_SPEED=$(WEB_SPEED) node tests/web/page_test.mjs build/web build/web-test

# The page's budgets: size, first frame, CPU in play beside a blank page (figures, not a test).
web-bench: web web-npm
	node tests/web/measure.mjs build/web
