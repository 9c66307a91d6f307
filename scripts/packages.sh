# Sourced by the other scripts: which Debian packages are missing, and installing them (as root, or with sudo).
# Everything the installs print goes to standard error, so a script's own standard output stays its result.

# Prints, one a line, those of the named packages that are not installed.
missing_packages() {
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            echo "$package"
        fi
    done
}

# Installs the named packages (nothing when none is named).
install_packages() {
    (($# > 0)) || return 0
    echo "Installing: $*" >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get update >&2
    apt-get install -y --no-install-recommends "$@" >&2
}
