# The two commands of the README: `make run` and `make test`.
MAKEFLAGS += --no-print-directory
BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: run test setup configure build sanitize fuzz clean

setup:
	@bash scripts/setup.sh

configure: setup
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/src/app/fraymark

# The unit and widget tests again, built with AddressSanitizer and UBSan.
sanitize: setup
	@bash scripts/sanitize.sh $(SANITIZE_DIR) $(JOBS)

# The combat file reader and loader under libFuzzer, when clang is present.
fuzz: setup
	@bash scripts/fuzz.sh

# Every test; CTest's summary of the main build comes last.
test: build sanitize fuzz
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) build-fuzz
