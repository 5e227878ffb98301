#!/usr/bin/env bash
# The operator's manual: it opens, has its chapters and its pictures, and is
# exactly what docs/manual/make_manual.py makes from the sources in the tree.
#   manual_test.sh SOURCE_ROOT
set -euo pipefail
root=$1
pdf=$root/docs/Zorvel.pdf
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "manual_test: $*" >&2; exit 1; }

pages=$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}') || fail "$pdf does not open"
[ "${pages:-0}" -ge 10 ] || fail "only ${pages:-0} pages"

# One line of text, so that phrases broken across lines or table cells are found.
pdftotext -enc UTF-8 "$pdf" - | tr -s "\n\t " "   " >"$work/text.txt"
for chapter in "1. Назначение табло и программы" "2. Главное окно" "3. Окно «Настройки времени и яркости»" \
               "4. Окно «Настройки»" "5. Способы подключения и схемы" "6. Окно GSM и окно состояния" \
               "7. Окно «О программе»" "8. Файлы настроек" "9. Сообщения программы" "10. Если что-то не работает" \
               "Файл справки не найден" "Устройство не отвечает на команды" "ControllerSetting"; do
  grep -qF "$chapter" "$work/text.txt" || fail "no \"$chapter\" in the text"
done

# The main and about windows, the scheme window and the five schemes.
images=$(pdfimages -list "$pdf" | awk 'NR > 2 && $3 == "image"' | wc -l)
[ "$images" -ge 8 ] || fail "$images pictures, 8 expected"
pdfimages -list "$pdf" | awk 'NR > 2 && $3 == "image" && ($4 < 300 || $5 < 200) {bad = 1} END {exit bad}' ||
  fail "a picture is smaller than a window"

/usr/bin/python3 "$root/docs/manual/make_manual.py" "$work/again.pdf" >/dev/null
cmp -s "$pdf" "$work/again.pdf" ||
  fail "docs/Zorvel.pdf differs from what docs/manual/make_manual.py makes now: run it and commit the result"
echo "manual_test: $pages pages, $images pictures, every chapter present"
