# Entry points: `make run` builds and starts the program, `make test` builds and runs every test.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
JOBS       ?= $(shell nproc)
PACKAGES   := cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev qt6-multimedia-dev qt6-translations-l10n
# What CPack's Debian generator needs to find the package's dependencies.
PACKAGE_TOOLS := dpkg-dev file

.PHONY: all deps package-deps configure build run install package test test-asan test-tsan soak clean

all: build

# Installs those of the Debian packages named in $(1) that are missing.
define install_missing
	@missing=""; for p in $(1); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y $$missing; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

package-deps:
	$(call install_missing,$(PACKAGE_TOOLS))

# The programs' folder below the prefix: games, as Debian keeps them (BINDIR=bin for
# a `make install PREFIX=$HOME/.local` whose programs are on the PATH).
BINDIR ?= games

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_BINDIR:STRING=$(BINDIR)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

RUN_DIR ?= $(BUILD)/run

# The program starts in a working folder holding its data files and endgame tables.
run: build
	@if [ -x $(BUILD)/app/korvel ]; then scripts/prepare-run.sh $(BUILD) $(RUN_DIR) $(BUILD)/app/korvel; \
	else scripts/prepare-run.sh $(BUILD) $(RUN_DIR) && { $(BUILD)/korvel-cli || true; }; fi

# The program, its data, a desktop entry and an icon into the standard places (PREFIX=/usr/local).
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package of the same files under /usr: build/korvel_VERSION_ARCH.deb.
package: build package-deps
	cd $(BUILD) && cpack -G DEB

test: build test-asan
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The engine and game tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Release -DKORVEL_SANITIZE=ON -DKORVEL_NO_UI=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target all
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS) -R "^(engine|game)\."

# The engine tests, the parallel search's among them, under ThreadSanitizer; any report
# fails them (not part of `make test`).
test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Release -DKORVEL_TSAN=ON -DKORVEL_NO_UI=ON
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target engine_tests
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 abort_on_error=1" ./engine_tests

# Hundreds of games through the game controller under the sanitizers, the engine's
# searches on SOAK_THREADS threads (not part of `make test`).
SOAK_GAMES ?= 500
SOAK_THREADS ?= 2
soak: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Release -DKORVEL_SANITIZE=ON -DKORVEL_NO_UI=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target game_soak
	cd $(ASAN_BUILD) && ./game_soak --games $(SOAK_GAMES) --threads $(SOAK_THREADS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD)
