# A thin front for CMake: `make play` and `make check` do the whole set-up.
BUILD ?= build
JOBS ?= 2
# Which packages `deps` installs (scripts/deps.sh play|package|check, from debian/control):
# each command below asks for its own set.
DEPS ?= play

.PHONY: all deps build play check check-long bench package clean

all: build

check check-long bench: DEPS = check
package: DEPS = package

deps:
	@scripts/deps.sh $(DEPS)

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

play: build
	scripts/play.sh $(BUILD)

check: build
	scripts/check.sh $(BUILD)
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
	rm -rf $(BUILD)
