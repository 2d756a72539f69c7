# Front doors. Each installs what it needs, builds, and runs.
.PHONY: demo test bench fuzz clean

demo:
	scripts/demo.sh

test:
	scripts/run-tests.sh

bench:
	scripts/bench.sh

fuzz:
	scripts/fuzz.sh

clean:
	rm -rf build
