#!/usr/bin/env bash
# Deny-list checks over the tracked and new sources. Each ban names what to use instead.
set -uo pipefail
cd "$(dirname "$0")/.."

status=0
files() { git ls-files --cached --others --exclude-standard -- "$@" 2>/dev/null | while read -r f; do [ -f "$f" ] && echo "$f"; done; }

# ban PATTERN REPLACEMENT PATHSPEC...
ban() {
  local pattern=$1 replacement=$2; shift 2
  local hits
  hits=$(files "$@" | grep -E '\.(c|cc|cpp|h|hpp)$' | xargs -r grep -n -E "$pattern" 2>/dev/null)
  if [ -n "$hits" ]; then
    echo "lint: '$pattern' is not allowed here; use $replacement:"
    echo "$hits"
    status=1
  fi
}

library=(platform DicomInterop components SeUtils qrn_common_interface ZorvelDicom)

ban '__LINE__' 'the reporting site'\''s line constant' ZorvelDicom SeUtils
ban 'std::(ifstream|fstream)|\bfopen\(|\bfread\(' 'positional reads (pread on the shared descriptor)' DicomInterop/frames
ban 'std::thread|std::jthread|pthread_create' 'the concurrency runtime (agents, message blocks, parallel loops)' ZorvelDicom SeUtils
ban '\b(strtod|strtof|strtold|atof|sscanf)\(|std::sto[dfl]' 'std::from_chars or the locale-2057 conversion helpers' \
    DicomInterop components SeUtils/Base/source/base/SeErrorHandler* ZorvelDicom
ban '\btbb::|<tbb/' 'the platform'\''s concurrency runtime (Concurrency::parallel_for, task_group), whose scheduler limits bind every loop' \
    . ':!platform/concurrency'
ban '(^|[^a-z_:])printf\(|std::cout|std::cerr|fprintf\(std(out|err)' 'a returned error code and the error log' "${library[@]}"

# The slide library's folders are layers; an include never points to a folder above.
if ! layers=$(/usr/bin/python3 scripts/slide_library_layers.py includes); then
  echo "lint: the slide library includes upward; move the shared part down, or pass a hook from source/:"
  echo "$layers"
  status=1
fi

# This code base describes itself; it never refers to an outside description document.
doc='sp''ec'  # split so that this line does not match itself
words=$(git grep -n -I -i --untracked -E "(\\b${doc}(ification)?\\b|${doc}\\.md|\\bParts? [0-9]+\\.[0-9]+\\b)" -- . ':!*.md' 2>/dev/null)
if [ -n "$words" ]; then
  echo "lint: describe what the code does, without reference to outside documents:"
  echo "$words"
  status=1
fi

[ $status -eq 0 ] && echo "lint: clean"
exit $status
