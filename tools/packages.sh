# shellcheck shell=bash
# Sourced by run.sh, test.sh, .ci/run and the tools: installs the Debian packages that are missing.
ensure_packages() {
    local absent=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            absent+=("$pkg")
    done
    [ ${#absent[@]} -eq 0 ] && return 0

    # sudo passes on no environment of ours, so the variable goes in through env; without
    # it a package that asks a question would wait for an answer nobody gives.
    local apt=(env DEBIAN_FRONTEND=noninteractive apt-get)
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || {
            echo "Missing packages: ${absent[*]}; run as root or install sudo." >&2
            return 1
        }
        if [ -t 0 ]; then
            apt=(sudo "${apt[@]}")
        else
            # With no terminal sudo cannot ask for a password, so it must not try.
            sudo -n true 2>/dev/null || {
                echo "Missing packages: ${absent[*]}." >&2
                echo "sudo needs a password and there is no terminal to type it in: run" >&2
                echo "  sudo apt-get install ${absent[*]}" >&2
                echo "first, or run this from a terminal." >&2
                return 1
            }
            apt=(sudo -n "${apt[@]}")
        fi
    fi
    echo "Installing: ${absent[*]}"
    "${apt[@]}" update -qq
    "${apt[@]}" install -y -qq --no-install-recommends "${absent[@]}" >/dev/null
}

# What building and running the program needs. The window is laid out for the widths of
# Liberation Sans; velmiro-cli is built with CLI11, {fmt} and nlohmann/json.
# shellcheck disable=SC2034  # used by the scripts that source this file
BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev qt6-qpa-plugins fonts-dejavu-core fonts-liberation2
    libcli11-dev libfmt-dev nlohmann-json3-dev)
