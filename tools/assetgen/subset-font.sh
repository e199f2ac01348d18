#!/usr/bin/env bash
# Writes <outdir>/bigFont.ttf: Debian's Misaki Gothic 2nd cut down to the characters the
# scroller can be given, space to "~" (32-126). The glyphs, their metrics, the hinting tables,
# the 8-pixel bitmap strike and every name record stay as they are; the head table is copied
# unchanged (no new time stamp), so the same bytes come out on every run.
# Usage: tools/assetgen/subset-font.sh <outdir>
# Needs Debian's fonts-misaki and fonttools (pyftsubset).
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: subset-font.sh <outdir>" >&2; exit 2; }
source_font=/usr/share/fonts/truetype/misaki/misaki_gothic_2nd.ttf
# fonts-misaki 20210505-1: another release of the font would make other bytes.
source_sha256=5f0cbb8850e910ffa749d467bc41c89271388a0cbe0fe48741cf2bf0dfe3ac43
missing="install them (Debian: apt-get install fonts-misaki fonttools, or tools/install-deps.sh test)"
command -v pyftsubset >/dev/null || { echo "subset-font: pyftsubset is missing; $missing" >&2; exit 1; }
[ -f "$source_font" ] || { echo "subset-font: $source_font is missing; $missing" >&2; exit 1; }
sha256sum --status -c <<<"$source_sha256  $source_font" ||
  { echo "subset-font: $source_font is not the font of fonts-misaki 20210505-1" >&2; exit 1; }

# BDF (X11 font properties) and FFTM (the font editor's time stamps) mean nothing to FreeType.
pyftsubset "$source_font" --output-file="$1/bigFont.ttf" \
  --unicodes=20-7E --no-ignore-missing-unicodes --notdef-outline \
  --name-IDs='*' --name-languages='*' --name-legacy \
  --drop-tables+=BDF,FFTM --drop-tables-=EBDT,EBLC \
  --no-recalc-timestamp --no-recalc-bounds --canonical-order
