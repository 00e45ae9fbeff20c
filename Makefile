# Entry points for people and scripts. Everything builds into build/;
# the production's assets are generated into data/.
BUILD ?= build
JOBS  ?= $(shell nproc)
MAKEFLAGS += --no-print-directory
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps build data run test sanitize fuzz fuzz-ci bench clean

deps:
	@./tools/install-deps.sh

build:
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

# The assets are generated from source (tools/datagen); they are made again
# only when one is missing or the generator changed.
DATA_FILES := data/loading.jpg data/qv3.mp3 \
  data/etoile-donuts/bgmap.jpg data/Hypercube/bgmap.jpg data/cubes/bgmap.jpg data/champi/champi1.jpg \
  $(addprefix data/text/,logo.jpg velmora.jpg presents.jpg demo.jpg enjoy.jpg \
    $(foreach n,1 2 3 4 5 6 7 8 9,Sgreets0$(n).jpg)) \
  data/etoile-donuts/etoile-donuts.3ds data/champi/champiworld.3ds \
  data/etoile-donuts/camera_line_droit2.spl data/etoile-donuts/camera_line_invert2.spl

data: build
	@$(MAKE) --no-print-directory data/.stamp

data/.stamp: $(BUILD)/quillon-datagen $(DATA_FILES)
	./$(BUILD)/quillon-datagen data
	@touch $@

# A missing asset counts as changed, which remakes the stamp.
$(DATA_FILES):

# The asset check lists every file the production reads; what is missing
# or broken is said before the production starts (and plays without it).
# Where no display can be opened, the production is rendered to quillon.mp4.
run: deps build data
	@./$(BUILD)/quillon-assets check . || \
	  echo "make run: files MISSING or BROKEN (listed above): the production starts without them, but not without the music"
	@if ./tools/capture/display-available.sh; then \
	  echo ./$(BUILD)/quillon; ./$(BUILD)/quillon; \
	else \
	  why=$$(./tools/capture/display-available.sh -v 2>&1); \
	  echo "make run: no display can be opened here ($$why):"; \
	  echo "make run: rendering the whole production with its music to quillon.mp4 (30 fps, 800x600) instead"; \
	  echo ./$(BUILD)/quillon-capture --fps 30 --size 800x600 -o quillon.mp4; \
	  ./$(BUILD)/quillon-capture --fps 30 --size 800x600 -o quillon.mp4; \
	fi

test: deps build data
	cd $(BUILD) && ctest --output-on-failure --timeout 900 -j$(JOBS)

# The unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILLON_SANITIZE=ON >/dev/null
	@cmake --build build-asan -j$(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j$(JOBS) -E '^e2e\.'

# Every asset reader's fuzz target under ASan and UBSan, from our own seeds,
# for FUZZ_SECONDS each (fuzz-ci: a short run).
FUZZ_SECONDS ?= 60
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_FUZZ=ON \
	  -DQUILLON_SANITIZE=ON >/dev/null
	@cmake --build build-fuzz -j$(JOBS) --target quillon-fuzz
	./fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

fuzz-ci:
	@$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=20

# The benchmarks (bench/): frame time per part, the rasterizer's limits
# against each part's pixels, start-up and peak memory. They print figures;
# nothing fails on a slow machine.
bench: deps build data
	./$(BUILD)/bench/frames
	./$(BUILD)/bench/limit
	./$(BUILD)/bench/load

clean:
	rm -rf $(BUILD) build-asan
