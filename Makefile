# Zorbat U.F.O. - see README.md
BUILD  := build
CMAKE  := cmake
JOBS   ?= 2
PREFIX ?= /usr/local
CONFIGURE = $(CMAKE) -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all build data play install test bench harness playtest replays fuzz soak sanitize screenshots clean

all: build

# The player's build: the game, its data and nothing else. The test suite
# and the benchmarks are options of the same build folder that make test and
# make bench turn on; once on they stay on, but make play builds only the game.
build:
	@scripts/deps.sh play
	$(CONFIGURE)
	$(CMAKE) --build $(BUILD) -j $(JOBS) --target gamedata
	$(CMAKE) --build $(BUILD) -j $(JOBS) --target zorbat icons

data:
	@scripts/deps.sh play
	$(CONFIGURE)
	$(CMAKE) --build $(BUILD) -j $(JOBS) --target gamedata

play: build
	$(BUILD)/zorbat

# make install PREFIX=/usr DESTDIR=/tmp/stage
install: build
	DESTDIR="$(DESTDIR)" $(CMAKE) --install $(BUILD) --prefix "$(PREFIX)"

test:
	@scripts/deps.sh test
	$(CONFIGURE) -DZORBAT_TESTS=ON
	$(CMAKE) --build $(BUILD) -j $(JOBS) --target gamedata
	$(CMAKE) --build $(BUILD) -j $(JOBS)
	scripts/headless.sh ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) --timeout 300

bench:
	@scripts/deps.sh bench
	$(CONFIGURE) -DZORBAT_BENCH=ON
	$(CMAKE) --build $(BUILD) -j $(JOBS) --target gamedata
	$(CMAKE) --build $(BUILD) -j $(JOBS) --target zorbat_bench zorbat-harness zorbat
	scripts/headless.sh sh -c 'cd $(BUILD) && ./zorbat_bench'

# The game's programs for scripted runs, with a virtual display to run them in.
harness:
	@scripts/deps.sh test
	$(CONFIGURE)
	$(CMAKE) --build $(BUILD) -j $(JOBS) --target gamedata
	$(CMAKE) --build $(BUILD) -j $(JOBS) --target zorbat-harness zorbat-soak

# Every stage played by the reference pilots, 20 seeds each: the table, and build/playtest.json.
playtest: harness
	$(CMAKE) --build $(BUILD) -j $(JOBS) --target zorbat-playtest
	cd $(BUILD) && ./zorbat-playtest --jobs $(JOBS) --json playtest.json

# The regression replays of tests/replays/ recorded again, when a change is
# meant to change play (README, "Replays").
replays: harness
	$(CMAKE) --build $(BUILD) -j $(JOBS) --target zorbat-playtest
	scripts/headless.sh scripts/record-replays.sh $(BUILD) tests/replays

# Pictures of every screen for the README, from scripted runs of the real game.
screenshots: harness
	scripts/headless.sh scripts/screenshots.sh $(BUILD) docs/screenshots

# Endurance: random input through the real game with invariants checked every frame.
SOAK_FRAMES ?= 500000
soak: harness
	scripts/headless.sh sh -c 'cd $(BUILD) && ./zorbat-soak --frames $(SOAK_FRAMES)'

# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
# Leak reports are off: the system's GL driver keeps allocations to process exit.
SAN_BUILD := build-asan
sanitize:
	@scripts/deps.sh test
	$(CMAKE) -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORBAT_SANITIZE=ON -DZORBAT_TESTS=ON
	$(CMAKE) --build $(SAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  scripts/headless.sh ctest --test-dir $(SAN_BUILD) --output-on-failure -j $(JOBS) --timeout 600

# libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer on the data-file
# readers (fuzz/*.cpp), built with clang in their own directory; each target
# runs FUZZ_SECONDS on a corpus seeded from fuzz/corpus/.
FUZZ_BUILD   := build-fuzz
FUZZ_SECONDS ?= 30
fuzz:
	@scripts/deps.sh fuzz
	$(CMAKE) -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORBAT_FUZZ=ON \
	  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang
	$(CMAKE) --build $(FUZZ_BUILD) -j $(JOBS)
	scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
