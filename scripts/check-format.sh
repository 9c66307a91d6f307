#!/usr/bin/env bash
# Fails when a tracked C++ source differs from what clang-format (Debian's, with the root .clang-format) makes of it,
# and names the files. Run `git ls-files '*.cpp' '*.h' | xargs clang-format -i` to format them.
set -euo pipefail
cd "$(dirname "$0")/.."

unformatted=()
while IFS= read -r -d '' file; do
    if ! clang-format --style=file "$file" | cmp -s - "$file"; then
        unformatted+=("$file")
    fi
done < <(git ls-files -z -- '*.cpp' '*.h')

if ((${#unformatted[@]} > 0)); then
    echo "These files are not formatted with clang-format:" >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    exit 1
fi
echo "Every tracked C++ source is formatted."
