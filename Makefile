# Tarnowick: the two set-up commands.
#   make run    installs what is missing, builds, starts the program
#   make test   installs what is missing, builds, runs every test
# BUILD=dir picks another build directory; SANITIZE=1 builds with ASan and UBSan.

BUILD ?= build
SANITIZE ?=
ifeq ($(SANITIZE),1)
  BUILD := $(BUILD)-sanitize
  SANFLAGS := -DTARNOWICK_SANITIZE=ON
endif

# Debian packages the build, the tests and the benchmarks need
# (python3-nautilus: the test that loads the GNOME Files extension;
# qt6-tools-dev and qt6-l10n-tools: lupdate and lrelease for the
# translations; qt6-translations-l10n: Qt's own texts in other languages).
PACKAGES := cmake ninja-build g++ pkg-config qt6-base-dev libgtest-dev \
            e2fsprogs util-linux coreutils desktop-file-utils appstream dpkg-dev btrfs-progs xfsprogs lintian \
            python3-nautilus libx11-dev xvfb dosfstools poppler-utils man-db systemd ansible-core \
            qt6-tools-dev qt6-l10n-tools qt6-translations-l10n

.PHONY: all deps configure build run test bench clean package install screenshots

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
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure

bench: build
	./bench/run-all.sh $(BUILD)

# The README's pictures, drawn from the real windows offscreen.
screenshots: configure
	@cmake --build $(BUILD) --target tarnowick_screenshots
	./res/make-screenshots.sh $(BUILD) doc/screenshots

package: build
	cd $(BUILD) && cpack -G DEB

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD)-sanitize
