#!/usr/bin/env bash
# The layer rule: a library of src/ includes only its own headers and those of
# the layers below it, and the libraries below the framework include nothing
# of Qt Widgets. Prints every breach and exits 1 when there is one.
#   check-layers.sh [SRC-FOLDER]
set -euo pipefail
src="${1:-$(dirname "$0")/../src}"

# What each library may include besides itself.
declare -A below=(
  [platform]=""
  [core]="platform"
  [dbaccess]="platform core"
  [framework]="platform core dbaccess"
  [dbupdate]="platform core dbaccess framework"
  [print]="platform core dbaccess framework"
  [datasets]="platform core dbaccess framework dbupdate print"
  [comm]="platform core dbaccess framework dbupdate print datasets"
  [app]="platform core dbaccess framework dbupdate print datasets comm"
  [dbudr]=""
)
no_widgets="platform core dbaccess"

status=0
for dir in "$src"/*/; do
  lib=$(basename "$dir")
  if [ -z "${below[$lib]+set}" ]; then
    echo "layer rule: $lib is not a known layer (add it to scripts/check-layers.sh)"
    status=1
    continue
  fi
  allowed=" $lib ${below[$lib]} "
  while IFS=: read -r file line text; do
    target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^/"]+)\/.*/\1/' <<<"$text")
    case "$allowed" in
      *" $target "*) ;;
      *) echo "layer rule: $file:$line includes $target, which $lib may not use"; status=1 ;;
    esac
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^/"]+/' "$dir" --include='*.h' --include='*.cpp' || true)
  case " $no_widgets " in
    *" $lib "*)
      if grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(QtWidgets/|QtGui/|QApplication>|QWidget>|QDialog>|QMessageBox>|QFileDialog>|QInputDialog>|QLabel>|QPushButton>|QGuiApplication>|QScreen>|QFont|QPalette>|QStyle>)' \
           "$dir" --include='*.h' --include='*.cpp'; then
        echo "layer rule: $lib includes window-system headers"
        status=1
      fi
      ;;
  esac
done
exit $status
