# A thin front for CMake: `make play` and `make check` do the whole set-up.
BUILD ?= build
JOBS ?= 2

.PHONY: all deps build play check bench package clean

all: build

deps:
	@scripts/deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

play: build
	scripts/play.sh $(BUILD)

check: build
	scripts/check.sh $(BUILD)
	scripts/check-package.sh $(BUILD)

bench: build
	bench/run.sh $(BUILD)

package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
