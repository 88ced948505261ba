# Shorthands for the two commands of the README and the package check.
.PHONY: run test setup build deb clean

run:
	@./run.sh

test:
	@./test.sh

setup:
	@bash scripts/setup.sh

build: setup
	@bash scripts/build.sh build

# Builds, lints, installs, starts and removes the Debian package (as root).
deb: build
	@bash scripts/setup.sh --packaging
	@bash scripts/check-deb.sh build

clean:
	rm -rf build build-sanitize build-fuzz
