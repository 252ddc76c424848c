# SPDX-License-Identifier: GPL-2.0-or-later
# The two commands a newcomer needs: `make demo` and `make test`.

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

.PHONY: all deps build test test-normal test-asan demo clean

all: build

deps:
	./scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_GEN)

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DVELLUMIX_SANITIZE=ON

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

test-normal: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# The sanitizer run comes first so that the log ends with the normal build's CTest summary.
test: test-asan test-normal

demo: build
	rm -rf $(BUILD)/demo-album
	cd examples && ../$(BUILD)/vellumix-cli sample.prj; status=$$?; \
	  if [ $$status -ne 0 ]; then exit $$status; fi
	@echo
	@echo "The sample album: $(CURDIR)/$(BUILD)/demo-album/index.htm"

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
