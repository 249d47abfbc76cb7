# Windows, cross-built with mingw-w64 and tested under Wine (included by the Makefile):
# make windows       build/windows/knuffelhatz.exe and the two downloads beside it,
#                    knuffelhatz-VERSION-win64.zip and knuffelhatz-VERSION-setup.exe
# make windows-test  under Wine: the portable unit tests and the Windows files' own, a real
#                    round in Xvfb played by the scripted player, the installer, the program's
#                    DLLs; ctest in build/windows-test

# The program: mingw-w64, its icon made by python3, Lato Black cut down with fonttools; the
# downloads: zip and NSIS.
PACKAGES_windows := cmake make g++-mingw-w64-x86-64-posix python3 fonts-lato fonttools zip nsis
# The tests: Wine, GoogleTest's sources, the scripted player's native build (the tests'
# packages) and the real-window tools; unzip for the installer test.
PACKAGES_windows-test := $(PACKAGES_windows) wine wine64 googletest unzip $(PACKAGES_check) $(PACKAGES_window)
PACKAGES_test += $(PACKAGES_windows-test)
WIN_TOOLCHAIN := cmake/mingw-w64.cmake
WIN_VERSION = $(shell grep -m1 -o 'Knuffelhatz VERSION [0-9.]*' CMakeLists.txt | cut -d' ' -f3)

.PHONY: windows windows-test windows-test-build

windows: deps-windows
	cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=$(WIN_TOOLCHAIN) -DCMAKE_BUILD_TYPE=Release \
	  -DKH_TESTS=OFF -DKH_BENCH=OFF
	cmake --build build/windows -j $(JOBS) --target knuffelhatz
	bash dist/windows/package.sh build/windows $(WIN_VERSION)

# One tree builds what `make windows` makes, the same way, and the unit tests beside it, so the
# game is compiled once; the real round, the installer and the imports are tried on its
# program and downloads. The unit tests are built with GoogleTest from Debian's sources,
# without debug information (it only slows the static link); the scripted player is a Linux
# program, the one the Linux window tests use (the test build's, already there when `make
# test` gets here).
windows-test: windows-test-build
	cd build/windows-test && ctest --output-on-failure

# The scripted player comes from the test build; a tree already configured is only brought up
# to date, as make test builds this beside that tree's running tests.
windows-test-build: deps-windows-test
	[ -f $(TEST_DIR)/CMakeCache.txt ] || $(TEST_CONFIGURE)
	cmake --build $(TEST_DIR) -j $(JOBS) --target khplayer
	cmake -S . -B build/windows-test -DCMAKE_TOOLCHAIN_FILE=$(WIN_TOOLCHAIN) -DCMAKE_BUILD_TYPE=Release \
	  -DKH_BENCH=OFF -DKH_WINDOWS_DIST=$(CURDIR)/build/windows-test -DKH_WINDOWS_VERSION=$(WIN_VERSION) \
	  -DKH_PLAYER=$(CURDIR)/$(TEST_DIR)/khplayer
	cmake --build build/windows-test -j $(JOBS) --target knuffelhatz knuffelhatz_windows_tests
	bash dist/windows/package.sh build/windows-test $(WIN_VERSION)
