# Zorbat U.F.O. - see README.md
BUILD  := build
CMAKE  := cmake
JOBS   ?= 2

.PHONY: all deps configure build data play test bench playtest fuzz soak sanitize screenshots clean

all: build

deps:
	@scripts/deps.sh

$(BUILD)/build.ninja: | deps
	$(CMAKE) -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/build.ninja

# The game's data first (it needs only the small data tools), then the rest.
build: configure
	$(CMAKE) --build $(BUILD) -j $(JOBS) --target gamedata
	$(CMAKE) --build $(BUILD) -j $(JOBS)

data: configure
	$(CMAKE) --build $(BUILD) -j $(JOBS) --target gamedata

play: build
	cd $(BUILD) && ./zorbat

test: build
	scripts/headless.sh ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) --timeout 300

bench: build
	scripts/headless.sh sh -c 'cd $(BUILD) && ./zorbat_bench'

# Every stage played by the reference pilots, 20 seeds each: the table, and build/playtest.json.
playtest: build
	cd $(BUILD) && ./zorbat-playtest --jobs $(JOBS) --json playtest.json

# Pictures of every screen for the README, from scripted runs of the real game.
screenshots: build
	scripts/headless.sh scripts/screenshots.sh $(BUILD) docs/screenshots

# Endurance: random input through the real game with invariants checked every frame.
SOAK_FRAMES ?= 500000
soak: build
	scripts/headless.sh sh -c 'cd $(BUILD) && ./zorbat-soak --frames $(SOAK_FRAMES)'

# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
# Leak reports are off: the system's GL driver keeps allocations to process exit.
SAN_BUILD := build-asan
sanitize: deps
	$(CMAKE) -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORBAT_SANITIZE=ON
	$(CMAKE) --build $(SAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  scripts/headless.sh ctest --test-dir $(SAN_BUILD) --output-on-failure -j $(JOBS) --timeout 600

# libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer on the data-file
# readers (fuzz/*.cpp), built with clang in their own directory; each target
# runs FUZZ_SECONDS on a corpus seeded from fuzz/corpus/.
FUZZ_BUILD   := build-fuzz
FUZZ_SECONDS ?= 30
fuzz: deps
	$(CMAKE) -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORBAT_FUZZ=ON \
	  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang
	$(CMAKE) --build $(FUZZ_BUILD) -j $(JOBS)
	scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
