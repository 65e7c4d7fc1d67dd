# The two commands the README shows: `make run` and `make test`. Each installs what is missing
# first, so both work on a fresh Debian machine (as root).

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
ARGS ?=

# On a Mac the companion is Dorvane.app, opened like any application.
ifeq ($(shell uname -s),Darwin)
COMPANION := build/release/Dorvane.app/Contents/MacOS/Dorvane
START := open build/release/Dorvane.app
else
COMPANION := build/release/dorvane
START := $(COMPANION)
endif

# The release build needs only the companion's own libraries. The benchmarks and the demo build
# in the same tree with the bench preset, which adds Google Benchmark and umockdev.
PRESET := release
bench demo: PRESET := bench

.PHONY: all deps build run test test-debian bench demo screenshot install deb icons fuzz format clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET) -j $(JOBS)

# With ARGS, a diagnostic command instead of the companion.
run: build
	$(if $(ARGS),$(COMPANION) $(ARGS),$(START))

test: deps
	cmake --preset dev >/dev/null
	cmake --build --preset dev -j $(JOBS)
	ctest --preset dev -j $(JOBS)

# The whole of `make test` in a root of another Debian suite (SUITE=trixie, sid, …), made once
# with mmdebstrap and kept (scripts/debian-root).
SUITE ?= trixie
test-debian:
	scripts/debian-root $(SUITE) make test JOBS=$(JOBS)

bench: build
	build/release/bench/dorvane_bench
	build/release/bench/companion_bench latency build/release/dorvane
	build/release/bench/companion_bench idle build/release/dorvane
	build/release/bench/companion_bench idle-tray build/release/dorvane
	build/release/bench/companion_bench idle-xembed build/release/dorvane
	build/release/bench/companion_bench replug build/release/dorvane
	build/release/bench/companion_bench rules-save build/release/dorvane
	build/release/bench/companion_bench class-flood build/release/dorvane
	build/release/bench/companion_bench sway-latency build/release/dorvane
	build/release/bench/companion_bench sway-idle build/release/dorvane
	build/release/bench/companion_bench kwin-latency build/release/dorvane
	build/release/bench/companion_bench gnome-latency build/release/dorvane
	build/release/bench/companion_bench cosmic-latency build/release/dorvane

# WAYLAND=1: on headless sway rather than X11.
demo: build
	build/release/demo/dorvane_demo $(if $(WAYLAND),--wayland) build/release/dorvane

screenshot: build
	scripts/screenshot

install: build
	cmake --install build/release

# The Debian package, built from a copy of the tree and checked; it lands in build/deb/.
deb:
	@scripts/install-deps --deb
	JOBS=$(JOBS) scripts/build-deb

# Redraws the committed icons from the logo's geometry.
icons: build
	cmake --build --preset release --target dorvane_logo
	build/release/dorvane_logo data/icons

fuzz:
	@scripts/install-deps --fuzz
	fuzz/run

format:
	clang-format -i $$(git ls-files '*.cpp' '*.hpp' '*.mm')

clean:
	rm -rf build
