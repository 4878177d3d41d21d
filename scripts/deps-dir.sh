# Sourced: where the cross-built libraries and the template Wine prefix live.
DEPS_DIR=${DEPS_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/setupwizard-deps}
export DEPS_DIR
