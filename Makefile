# Two commands for a newcomer on a fresh machine:
#   make demo   set up, build, pack the demo product and run its installer
#   make test   set up, build, run the three test tiers
# Everything else is CMake presets (CMakePresets.json) underneath.

.PHONY: demo test setup build native win64 win32 test-native test-win test-e2e clean

demo: build
	scripts/demo.sh

test: build
	@echo "== native tier =="
	ctest --preset native
	@echo "== win tier (under Wine) =="
	ctest --preset win64 -L '^win$$'
	@echo "== e2e tier (Xvfb + Wine) =="
	ctest --preset win64 -L '^e2e$$'

setup:
	scripts/setup-deps.sh

build: setup
	$(MAKE) native win64 win32

# mksetup (native) packs the installers that the Windows builds test.
native:
	cmake --preset native >/dev/null
	cmake --build --preset native

win64: native
	cmake --preset win64 >/dev/null
	cmake --build --preset win64

win32: native
	cmake --preset win32 >/dev/null
	cmake --build --preset win32

test-native: native
	ctest --preset native
test-win: win64
	ctest --preset win64 -L '^win$$'
test-e2e: win64
	ctest --preset win64 -L '^e2e$$'

clean:
	rm -rf build
