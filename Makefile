# Entry points for people and scripts. Everything builds into build/;
# the production's assets are generated into data/.
BUILD ?= build
JOBS  ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps build data run test sanitize fuzz bench clean

deps:
	@./tools/install-deps.sh

build:
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

data: build
	@mkdir -p data

run: deps build data
	./$(BUILD)/quillon

test: deps build data
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# The unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILLON_SANITIZE=ON >/dev/null
	@cmake --build build-asan -j$(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j$(JOBS) -E '^e2e\.'

clean:
	rm -rf $(BUILD) build-asan
