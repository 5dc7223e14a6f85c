#!/usr/bin/env bash
# The program as a user receives it, made from this build tree:
#   program  cmake --install gives a folder holding what the editor needs (Qt's Russian texts
#            included), and the editor runs from there and keeps its settings in that folder's
#            Data/
#   archive  the cpack archive unpacks to exactly the installed folder
#   desktop  scripts/install registers a valid menu entry with the icons and the project file
#            type, --uninstall takes them away again and leaves the user's settings and
#            screenshots
# CTest runs each as install_<case>. Everything happens in a scratch folder; HOME points there
# too, so the user's own ~/.local is never touched.
set -euo pipefail
src="$KELMIRA_SOURCE_DIR"
build="$KELMIRA_BUILD_DIR"
tmp="$(mktemp -d)"
editor=""
trap '[ -z "$editor" ] || kill "$editor" 2>/dev/null; rm -rf "$tmp"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

install_into() {
  cmake --install "$build" --prefix "$1" >"$tmp/install.log" 2>&1 ||
    { cat "$tmp/install.log"; fail "cmake --install into $1"; }
}

check_program() {
  # A folder name with a blank and Cyrillic letters, as a user's own folder may have.
  local prog="$tmp/Мои программы/Kelmira"
  install_into "$prog"

  # Beside the program: exactly its executables, the empty Data/ and Saves/Screenshots/ and the
  # help pages. Nothing of a developer's run (bin/Data/Settings.ini, screenshots) and no
  # start-up probe may travel along.
  local expected actual
  expected="$({ printf '%s\n' ./kelmira ./kelmira-render ./Data ./Saves ./Saves/Screenshots ./help \
    ./translations ./translations/qtbase_ru.qm
    (cd "$src" && find help -type f -printf './%p\n'); } | sort)"
  actual="$(cd "$prog" && find . -mindepth 1 ! -path './icons*' | sort)"
  [ "$actual" = "$expected" ] ||
    fail "installed folder differs from what the program needs:"$'\n'"$(diff <(echo "$expected") <(echo "$actual"))"
  for exe in kelmira kelmira-render; do
    [ -x "$prog/$exe" ] || fail "$exe is not executable"
  done
  diff -r "$src/help" "$prog/help" || fail "help pages differ from the sources"
  # Qt's own Russian texts travel with the program, so the folder speaks Russian on a machine
  # without Qt's translations; the program looks in its translations/ first.
  cmp -s /usr/share/qt6/translations/qtbase_ru.qm "$prog/translations/qtbase_ru.qm" ||
    fail "translations/qtbase_ru.qm is not Qt's Russian translation"

  # Icons for the desktop entry: the drawing, and 48x48, the size every icon theme falls back on.
  [ -f "$prog/icons/hicolor/scalable/apps/kelmira.svg" ] || fail "no scalable icon"
  [ -f "$prog/icons/hicolor/48x48/apps/kelmira.png" ] || fail "no 48x48 icon"
  local exe section

  "$prog/kelmira-render" --help >/dev/null || fail "the installed kelmira-render does not run"

  if [ -z "${DISPLAY:-}" ]; then
    echo "no display: the installed editor is not started"
    exit 77
  fi
  # Started from another folder: its settings still belong in its own Data/.
  local elsewhere="$tmp/elsewhere" title="Kelmira.     Вер. 1.5"
  mkdir "$elsewhere"
  (cd "$elsewhere" && exec "$prog/kelmira") >"$tmp/editor.log" 2>&1 &
  editor=$!
  # Other tests may show windows of the same title on this display at the same time.
  export XWINDOW_PID=$editor
  "$KELMIRA_XWINDOW" icon "$title" >"$tmp/icon-sizes" ||
    fail "the editor's main window did not appear, or has no icon"
  grep -qx 32x32 "$tmp/icon-sizes" || fail "the main window has no 32x32 icon: $(tr '\n' ' ' <"$tmp/icon-sizes")"
  # Closed as by its close box; the save question is answered "Нет" by its letter.
  "$KELMIRA_XWINDOW" close "$title"
  "$KELMIRA_XWINDOW" key Kelmira Cyrillic_en || fail "the save question did not appear"
  local waited=0
  while kill -0 "$editor" 2>/dev/null; do
    [ $waited -lt 300 ] || fail "the editor did not end after the close"
    sleep 0.1
    waited=$((waited + 1))
  done
  local status=0
  wait "$editor" || status=$?
  editor=""
  [ $status -eq 0 ] || fail "the editor ended with status $status: $(cat "$tmp/editor.log")"
  for section in Form1 Form2; do
    grep -qx "\[$section\]" "$prog/Data/Settings.ini" 2>/dev/null ||
      fail "no [$section] settings written into the installed Data/"
  done
  [ -z "$(ls -A "$elsewhere")" ] || fail "the editor wrote into its working folder: $(ls -A "$elsewhere")"
}

check_archive() {
  cpack --config "$build/CPackConfig.cmake" -B "$tmp/pack" >"$tmp/cpack.log" 2>&1 ||
    { cat "$tmp/cpack.log"; fail "cpack"; }
  local archive="$tmp/pack/Kelmira-1.5-Linux.tar.gz"
  [ -f "$archive" ] || fail "no $archive; cpack made: $(ls "$tmp/pack")"
  mkdir "$tmp/unpacked"
  tar -xzf "$archive" -C "$tmp/unpacked"
  [ "$(ls -A "$tmp/unpacked")" = Kelmira-1.5-Linux ] ||
    fail "the archive should hold one folder Kelmira-1.5-Linux, not: $(ls -A "$tmp/unpacked")"
  install_into "$tmp/installed"
  # Same paths, kinds and permissions (empty folders included), same contents.
  local listing='%P %y %m\n'
  diff <(cd "$tmp/unpacked/Kelmira-1.5-Linux" && find . -printf "$listing" | sort) \
    <(cd "$tmp/installed" && find . -printf "$listing" | sort) ||
    fail "the archive's folder differs from the install"
  diff -r "$tmp/unpacked/Kelmira-1.5-Linux" "$tmp/installed" || fail "file contents differ"
}

check_desktop() {
  command -v desktop-file-validate >/dev/null ||
    fail "desktop-file-validate is missing; scripts/install-deps installs it"
  # A blank in the home folder: the entry's Exec must quote the program's path.
  local home="$tmp/home dir"
  mkdir "$home"
  local prog="$home/.local/opt/kelmira" share="$home/.local/share"
  local entry="$share/applications/kelmira.desktop"
  HOME="$home" XDG_DATA_HOME='' KELMIRA_BUILD_DIR="$build" "$src/scripts/install" \
    >"$tmp/install.log" 2>&1 || { cat "$tmp/install.log"; fail "scripts/install"; }

  [ -f "$entry" ] || fail "no menu entry at $entry"
  local verdict
  verdict="$(desktop-file-validate "$entry" 2>&1)" || fail "desktop-file-validate: $verdict"
  [ -z "$verdict" ] || fail "desktop-file-validate warns: $verdict"
  # %f: a project file opened from the file manager arrives as the one argument.
  grep -qxF "Exec=\"$prog/kelmira\" %f" "$entry" || fail "Exec does not start $prog/kelmira with a file: $(grep ^Exec= "$entry")"
  grep -qxF "MimeType=application/x-kelmira-project;" "$entry" || fail "the entry names no project file type"
  cmp -s "$src/resources/kelmira-mime.xml" "$share/mime/packages/kelmira.xml" ||
    fail "no project file type in $share/mime/packages"
  # The databases the desktop reads were brought up to date.
  grep -qxF "application/x-kelmira-project:*.kelmar" <(cut -d: -f2- "$share/mime/globs2" 2>/dev/null) ||
    fail "update-mime-database did not learn *.kelmar"
  grep -q "Kelmira" "$share/mime/application/x-kelmira-project.xml" 2>/dev/null ||
    fail "no type description was generated"
  grep -qxF "application/x-kelmira-project=kelmira.desktop;" "$share/applications/mimeinfo.cache" 2>/dev/null ||
    fail "update-desktop-database did not learn that Kelmira opens project files"
  grep -qxF "Path=$prog" "$entry" || fail "Path is not the program folder: $(grep ^Path= "$entry")"
  [ -x "$prog/kelmira" ] || fail "no editor in $prog"
  local icon n=0
  for icon in "$prog"/icons/hicolor/*/apps/kelmira.*; do
    cmp -s "$icon" "$share/icons/hicolor/${icon#"$prog"/icons/hicolor/}" || fail "icon not in the user's theme: $icon"
    n=$((n + 1))
  done
  [ $n -gt 1 ] || fail "the program folder holds no icons"

  # What the user made since stays; everything the install brought goes.
  echo "[Form1]" >"$prog/Data/Settings.ini"
  echo "picture" >"$prog/Saves/Screenshots/Screenshot.bmp"
  HOME="$home" XDG_DATA_HOME='' "$src/scripts/install" --uninstall >"$tmp/uninstall.log" 2>&1 ||
    { cat "$tmp/uninstall.log"; fail "scripts/install --uninstall"; }
  local left
  left="$(cd "$home" && find . -mindepth 1 | sort)"
  [ "$left" = "$(printf '%s\n' ./.local ./.local/opt ./.local/opt/kelmira ./.local/opt/kelmira/Data \
    ./.local/opt/kelmira/Data/Settings.ini ./.local/opt/kelmira/Saves \
    ./.local/opt/kelmira/Saves/Screenshots ./.local/opt/kelmira/Saves/Screenshots/Screenshot.bmp)" ] ||
    fail "after --uninstall the home folder holds:"$'\n'"$left"
}

case "${1:-}" in
  program) check_program ;;
  archive) check_archive ;;
  desktop) check_desktop ;;
  *) fail "usage: install_tests.sh program|archive|desktop" ;;
esac
echo "ok"
