# shellcheck shell=bash
# Sourced by the scripts that pack downloads.
#   reproducible_zip ZIP FOLDER    packs FOLDER (as its own top folder) into ZIP: entries sorted,
#                                  every time SOURCE_DATE_EPOCH's (else the last commit's), no
#                                  owners or extra fields, so the same files give the same bytes
reproducible_zip() {
  local zip_file=$1 folder=$2 epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
  zip_file=$(realpath -m "$zip_file")
  rm -f "$zip_file"
  # zip stores local time: in UTC every machine writes the same.
  find "$folder" -exec touch -h -d "@$epoch" {} + &&
    (cd "$(dirname "$folder")" && find "$(basename "$folder")" -print | LC_ALL=C sort |
      TZ=UTC zip -q -9 -X -@ "$zip_file")
}
