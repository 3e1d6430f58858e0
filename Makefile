# Tarnowick: the two set-up commands.
#   make run    installs what is missing, builds, starts the program
#   make test   installs what is missing, builds, runs every test
# BUILD=dir picks another build directory; SANITIZE=1 builds with ASan and UBSan.
#   make fuzz   builds the parsers' fuzz targets with clang and runs each for
#               FUZZ_SECONDS (FUZZ_TARGETS="settings_text uri_list" picks some)
#   make fuzz-keep  adds to fuzz/coverage/ the fewest grown inputs that reach
#               edges the saved ones miss, for `make test` to replay

BUILD ?= build
SANITIZE ?=
ifeq ($(SANITIZE),1)
  BUILD := $(BUILD)-sanitize
  SANFLAGS := -DTARNOWICK_SANITIZE=ON
  # A crash must reach the program's own fatal-signal handler (the tests
  # check that it gives back what a fill took), so ASan leaves SIGSEGV alone;
  # leaks inside system libraries are not ours to report. Undefined
  # behaviour stops the test that meets it, so it fails the run.
  SANENV := ASAN_OPTIONS=handle_segv=0 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
            UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
endif

# Debian packages the build, the tests and the benchmarks need
# (python3-nautilus: the test that loads the GNOME Files extension;
# qt6-tools-dev and qt6-l10n-tools: lupdate and lrelease for the
# translations; qt6-translations-l10n: Qt's own texts in other languages).
PACKAGES := cmake ninja-build g++ pkg-config qt6-base-dev libgtest-dev \
            e2fsprogs util-linux coreutils desktop-file-utils appstream dpkg-dev btrfs-progs xfsprogs lintian \
            python3-nautilus libx11-dev xvfb dosfstools poppler-utils man-db systemd ansible-core \
            qt6-tools-dev qt6-l10n-tools qt6-translations-l10n

.PHONY: all deps configure build run test bench clean package install screenshots fuzz fuzz-keep

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	  else \
	    echo "Tarnowick needs these packages. Run:"; \
	    echo "  sudo apt-get install -y$$missing"; \
	    exit 1; \
	  fi; \
	fi

# ccache, where it is installed, makes rebuilds after a checkout cheap.
LAUNCHER := $(if $(shell command -v ccache 2>/dev/null),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache,)

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(SANFLAGS) $(LAUNCHER) >/dev/null

build: configure
	@cmake --build $(BUILD)

run: build
	./$(BUILD)/tarnowick

test: build
	cd $(BUILD) && $(SANENV) QT_QPA_PLATFORM=offscreen ctest --output-on-failure

bench: build
	./bench/run-all.sh $(BUILD)

# libFuzzer needs clang (and its runtime, libclang-rt-dev); without it the
# targets' saved inputs are still replayed by `make test`.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?=
FUZZ_BUILD := $(BUILD)-fuzz
fuzz: deps
	@if ! command -v clang++ >/dev/null 2>&1; then \
	  echo "make fuzz: clang++ is not installed, so the fuzz targets are not built"; \
	  echo "  (apt-get install clang libclang-rt-dev); make test still replays their saved inputs"; \
	  exit 0; \
	fi; \
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DTARNOWICK_FUZZ=ON -DTARNOWICK_TESTS=OFF $(LAUNCHER) >/dev/null && \
	cmake --build $(FUZZ_BUILD) --target tarnowick_fuzzers && \
	./fuzz/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

fuzz-keep:
	@test -x $(FUZZ_BUILD)/fuzz/fuzz_settings_text || { echo "make fuzz-keep: run make fuzz first"; exit 1; }
	./fuzz/keep-coverage.sh $(FUZZ_BUILD) $(FUZZ_TARGETS)

# The README's pictures, drawn from the real windows offscreen.
screenshots: configure
	@cmake --build $(BUILD) --target tarnowick_screenshots
	./res/make-screenshots.sh $(BUILD) doc/screenshots

package: build
	cd $(BUILD) && cpack -G DEB

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD)-sanitize $(BUILD)-fuzz
