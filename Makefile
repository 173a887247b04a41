# Quorvex: the two commands of the Quick start, and a few more for developers.
#   make run    install what is missing, build (release), start against the simulated analyzer
#               (RUN_ARGS="" to look for a real analyzer instead)
#   make test   install what is missing, build (debug, sanitizers), run every test headless
#   make deps   install the Debian packages of tools/debian-packages.txt that are missing
#   make bench  build and run the benchmarks (by hand; not part of CI)
#   make format apply .clang-format to every source
#   make fuzz   build the fuzz harnesses (clang) and run each for FUZZ_SECONDS (60); fails on findings
#   make soak   the program under scheduled faults for SOAK_MINUTES (10), by hand
#   make test-leaks  the tests with LeakSanitizer on
#   make package  a Debian package (build/package/quorvex_*.deb), checked with lintian
#   make venue  a local broker and two simulated sensors publishing to it (VENUE_PORT, 18830)

JOBS ?= $(shell nproc)
RELEASE_DIR := build/release
DEBUG_DIR := build/debug
BENCH_DIR := build/bench
PACKAGE_DIR := build/package
RUN_ARGS ?= -simulate

.PHONY: deps run build test test-leaks bench fuzz soak format package venue clean

deps:
	@tools/install-deps

build: deps
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DQUORVEX_BUILD_TESTS=OFF
	cmake --build $(RELEASE_DIR) -j $(JOBS)

run: build
	$(RELEASE_DIR)/app/quorvex $(RUN_ARGS)

test: deps
	cmake -S . -B $(DEBUG_DIR) -DCMAKE_BUILD_TYPE=Debug -DQUORVEX_SANITIZE=ON -DQUORVEX_WERROR=ON
	cmake --build $(DEBUG_DIR) -j $(JOBS)
	cd $(DEBUG_DIR) && QT_QPA_PLATFORM=offscreen \
		ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure --no-tests=error -j $(JOBS)

fuzz:
	tools/run-fuzz

SOAK_MINUTES ?= 10
soak: deps
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DQUORVEX_BUILD_TESTS=OFF
	cmake --build $(RELEASE_DIR) --target quorvex-soak -j $(JOBS)
	$(RELEASE_DIR)/tools/quorvex-soak --minutes $(SOAK_MINUTES)

# The tests with LeakSanitizer on; tools/lsan.supp lists what is left out, and why.
test-leaks: deps
	cmake -S . -B $(DEBUG_DIR) -DCMAKE_BUILD_TYPE=Debug -DQUORVEX_SANITIZE=ON -DQUORVEX_WERROR=ON
	cmake --build $(DEBUG_DIR) -j $(JOBS)
	cd $(DEBUG_DIR) && QT_QPA_PLATFORM=offscreen \
		ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:fast_unwind_on_malloc=0:malloc_context_size=40 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp:print_suppressions=0 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure --no-tests=error -j $(JOBS)

bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DQUORVEX_BUILD_TESTS=OFF -DQUORVEX_BUILD_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	cd $(BENCH_DIR) && ctest --output-on-failure --verbose -L bench

# Built with Debian's hardening flags (dpkg-buildflags; no -g, the programs are stripped), then
# checked with Debian's lintian: an error or a warning fails it.
package: deps
	cmake -S . -B $(PACKAGE_DIR) -DCMAKE_BUILD_TYPE=Release -DQUORVEX_BUILD_TESTS=OFF \
		-DCMAKE_INSTALL_PREFIX=/usr \
		-DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(DEB_CXXFLAGS_MAINT_STRIP=-g dpkg-buildflags --get CXXFLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)"
	cmake --build $(PACKAGE_DIR) -j $(JOBS)
	rm -f $(PACKAGE_DIR)/quorvex_*.deb
	cd $(PACKAGE_DIR) && cpack -G DEB
	lintian --fail-on error,warning --display-info $(PACKAGE_DIR)/quorvex_*.deb

# A venue on this computer: a broker on localhost only and two simulated sensors, "North stand"
# (a carrier that comes and goes) and "South stand"; Ctrl+C stops them.
VENUE_PORT ?= 18830
venue: deps
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release -DQUORVEX_BUILD_TESTS=OFF
	cmake --build $(RELEASE_DIR) --target quorvex-sensor -j $(JOBS)
	tools/venue-demo $(RELEASE_DIR) $(VENUE_PORT)

format:
	tools/check-format clang-format --fix

clean:
	rm -rf build
