#!/usr/bin/env bash
# Prints the build folder the scripts use: BUILD_DIR, or build-sanitize for
# the sanitizer build, or build.
if [ -n "${BUILD_DIR:-}" ]; then echo "$BUILD_DIR"
elif [ "${SOLTEA_SANITIZE:-OFF}" = "ON" ]; then echo build-sanitize
else echo build
fi
