# A thin front for CMake: `make play` and `make check` do the whole set-up.
BUILD ?= build
# The Windows programs, cross-built with MinGW-w64 (make windows).
WINDOWS_BUILD ?= build-windows
JOBS ?= 2
# Which packages `deps` installs (scripts/deps.sh play|package|check, from debian/control):
# each command below asks for its own set.
DEPS ?= play

.PHONY: all deps configure build play check check-long bench package windows clean

all: build

check check-long bench: DEPS = check
package: DEPS = package
windows: DEPS = windows

deps:
	@scripts/deps.sh $(DEPS)

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVANTORA_WINDOWS_BUILD=$(abspath $(WINDOWS_BUILD))

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only the game: the tests, benchmarks, tools and icon are built by `make build` and `make check`.
play: configure
	cmake --build $(BUILD) -j $(JOBS) --target vantora
	scripts/play.sh $(BUILD)

# The zip for Windows players: $(WINDOWS_BUILD)/vantora-<version>-windows-x86_64.zip. The icon
# is drawn by this machine's build; freeglut and libpng are built from Debian's sources.
windows: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS) --target vantora_ico
	JOBS=$(JOBS) scripts/windows-deps.sh $(WINDOWS_BUILD)
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/packaging/windows/mingw-w64-x86_64.cmake \
	  -DVANTORA_WINDOWS_DEPS=$(abspath $(WINDOWS_BUILD))/deps/prefix \
	  -DVANTORA_WINDOWS_ICON=$(abspath $(BUILD))/packaging/windows/vantora.ico \
	  -DBUILD_TESTING=OFF -DVANTORA_BENCH=OFF
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	scripts/windows-zip.sh $(WINDOWS_BUILD)

# The Windows programs are tested under Wine with the rest (tests/windows).
check: build windows
	VANTORA_REQUIRE_WINDOWS=1 scripts/check.sh $(BUILD)
	scripts/check-package.sh $(BUILD)
	scripts/check-sanitize.sh
	scripts/check-fuzz.sh short

# The long runs: fuzzing until 10 million runs or 30 minutes per target, a soak of 5000
# keys, and valgrind on a short scripted session.
check-long: build
	scripts/check-fuzz.sh long
	VANTORA_BIN=$(abspath $(BUILD))/vantora scripts/soak.sh 5000
	VANTORA_BIN=$(abspath $(BUILD))/vantora scripts/valgrind.sh

bench: build
	bench/run.sh $(BUILD)

# The Debian package, built from a copy of the tree by dpkg-buildpackage without the test
# tool chain (build profile nocheck): $(BUILD)/deb/vantora_<version>_<arch>.deb.
package: deps
	DEB_BUILD_OPTIONS="$(DEB_BUILD_OPTIONS) nocheck" JOBS=$(JOBS) \
	  packaging/build-deb.sh $(BUILD)/deb --build-profiles=nocheck

clean:
	rm -rf $(BUILD) $(WINDOWS_BUILD)
