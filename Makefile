# Zorbat U.F.O. - see README.md
BUILD  := build
CMAKE  := cmake
JOBS   ?= 2

.PHONY: all deps configure build play test bench fuzz soak clean

all: build

deps:
	@scripts/deps.sh

$(BUILD)/build.ninja: | deps
	$(CMAKE) -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/build.ninja

build: configure
	$(CMAKE) --build $(BUILD) -j $(JOBS)

play: build
	cd $(BUILD) && ./zorbat

test: build
	scripts/headless.sh ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) --timeout 300

bench: build
	scripts/headless.sh sh -c 'cd $(BUILD) && ./zorbat_bench'

clean:
	rm -rf $(BUILD)
