#!/usr/bin/env bash
# Builds "Purvex manual.pdf" from docs/manual (manual.html, manual.css and the
# screenshots in images/) with WeasyPrint, Debian's HTML-to-PDF renderer,
# installing it when missing. The release text on the pages is derived from
# resources/version.h.
#
#   tools/build_manual.sh [OUTPUT.pdf]     default build/manual/Purvex manual.pdf
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$ROOT/tools/version.sh"
source "$ROOT/tools/packages.sh"
SOURCE_DIR=$ROOT/docs/manual
OUTPUT=${1:-$ROOT/build/manual/Purvex manual.pdf}
PACKAGES=(weasyprint fonts-dejavu-core)

purvex_install_packages "${PACKAGES[@]}" || { echo "package installation failed" >&2; exit 1; }

release=$(purvex_release_text) || { echo "cannot read the version from resources/version.h" >&2; exit 1; }
for image in $(grep -o 'src="images/[^"]*"' "$SOURCE_DIR/manual.html" | sed 's/^src="//; s/"$//'); do
  [[ -f $SOURCE_DIR/$image ]] || { echo "missing $SOURCE_DIR/$image (tools/manual_screenshots.sh takes it)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sed "s/@RELEASE@/$release/g" "$SOURCE_DIR/manual.html" >"$work/manual.html"
if grep -q '@[A-Z_]*@' "$work/manual.html"; then
  echo "unreplaced placeholder in manual.html: $(grep -o '@[A-Z_]*@' "$work/manual.html" | sort -u | tr '\n' ' ')" >&2
  exit 1
fi
mkdir -p "$(dirname "$OUTPUT")"
# The system's Python, not whatever interpreter a version manager put first on PATH.
PATH=/usr/bin:/bin:$PATH weasyprint --base-url "$SOURCE_DIR/" --presentational-hints "$work/manual.html" "$OUTPUT"
echo "manual (release $release): $OUTPUT"
