# The two commands the README shows: `make run` and `make test`. Each installs what is missing
# first, so both work on a fresh Debian machine (as root).

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
ARGS ?=

# On a Mac the companion is Dorvane.app, opened like any application; the benchmarks and the demo
# need the Linux test bed.
ifeq ($(shell uname -s),Darwin)
RELEASE_OPTIONS := -DDORVANE_BENCH=OFF
COMPANION := build/release/Dorvane.app/Contents/MacOS/Dorvane
START := open build/release/Dorvane.app
else
RELEASE_OPTIONS :=
COMPANION := build/release/dorvane
START := $(COMPANION)
endif

.PHONY: all deps build run test bench demo screenshot install fuzz format clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake --preset release $(RELEASE_OPTIONS) >/dev/null
	cmake --build --preset release -j $(JOBS)

# With ARGS, a diagnostic command instead of the companion.
run: build
	$(if $(ARGS),$(COMPANION) $(ARGS),$(START))

test: deps
	cmake --preset dev >/dev/null
	cmake --build --preset dev -j $(JOBS)
	ctest --preset dev -j $(JOBS)

bench: build
	build/release/bench/dorvane_bench
	build/release/bench/companion_bench latency build/release/dorvane
	build/release/bench/companion_bench idle build/release/dorvane
	build/release/bench/companion_bench idle-tray build/release/dorvane
	build/release/bench/companion_bench replug build/release/dorvane
	build/release/bench/companion_bench rules-save build/release/dorvane
	build/release/bench/companion_bench sway-latency build/release/dorvane
	build/release/bench/companion_bench sway-idle build/release/dorvane

# WAYLAND=1: on headless sway rather than X11.
demo: build
	build/release/demo/dorvane_demo $(if $(WAYLAND),--wayland) build/release/dorvane

screenshot: build
	scripts/screenshot

install: build
	cmake --install build/release

fuzz:
	@scripts/install-deps --fuzz
	fuzz/run

format:
	clang-format -i $$(git ls-files '*.cpp' '*.hpp' '*.mm')

clean:
	rm -rf build
