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
               "Файл справки не найден" "Устройство не отвечает на команды" "ControllerSetting" \
               "Страница «COM порт»" "Страница «USB порт»" "Страница «TCP»" "Страница «RF модуль»" \
               "Перезапустить GSM модем" "Яркость табло утром" "Поиск сети GSM..." "Установка TCP соединения.."; do
  grep -qF "$chapter" "$work/text.txt" || fail "no \"$chapter\" in the text"
done

# Every picture the text names is in the document, in order, at the pixel
# size of its file (stored whole, not scaled down): the window pictures,
# the scheme window and the five schemes.
pdfimages -list "$pdf" | awk 'NR > 2 && $3 == "image" {print $4 "x" $5}' >"$work/in-pdf.txt"
/usr/bin/python3 - "$root" >"$work/in-text.txt" <<'EOF2'
import os, re, sys
from PIL import Image
root = sys.argv[1]
folders = [os.path.join(root, "docs", "manual", "pictures"), os.path.join(root, "zorvel", "resources", "program")]
for line in open(os.path.join(root, "docs", "manual", "Zorvel.txt"), encoding="utf-8"):
    found = re.match(r"\s*!\[([^]]+)\]", line)
    if found:
        path = next(os.path.join(f, found.group(1)) for f in folders if os.path.exists(os.path.join(f, found.group(1))))
        print("%dx%d" % Image.open(path).size)
EOF2
images=$(wc -l <"$work/in-pdf.txt")
[ "$images" -ge 17 ] || fail "$images pictures, 17 expected"
cmp -s "$work/in-text.txt" "$work/in-pdf.txt" ||
  fail "the pictures in the document are not those the text names, at their size: $(paste -sd' ' "$work/in-pdf.txt")"

/usr/bin/python3 "$root/docs/manual/make_manual.py" "$work/again.pdf" >/dev/null
cmp -s "$pdf" "$work/again.pdf" ||
  fail "docs/Zorvel.pdf differs from what docs/manual/make_manual.py makes now: run it and commit the result"
echo "manual_test: $pages pages, $images pictures, every chapter present"
