#!/usr/bin/env bash
# The layer check (CTest: layers.check): every include of the product's own
# headers runs down the layers, and operating-system headers stand only where
# the operating system is the subject.
#
#   bash scripts/check-layers.sh [SOURCE_ROOT]
#
# Prints one line per fault (file:line: what is wrong) and exits with 1 when
# there is any. The table of direction is the one of cmake/Layers.cmake, which
# also enforces it at compile time through the include roots.
#
# Operating-system headers (sockets, <windows.h>, <unistd.h>, ODBC, ...) may
# stand in platform/, in the channel's socket layers (socket_layer_*.cpp and
# the POSIX error table wsa_errors_posix.cpp) and in the terminal simulator's
# socket layer (tools/terminal/terminal_socket_*.cpp), nowhere else in the
# program or its tools. Tests, benchmarks and fuzz targets are harnesses that
# start processes and play peers on real sockets: the direction holds for
# them (nothing includes them), the header rule does not.
set -uo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root" || exit 2

# What each folder may reach, itself included.
declare -A reach=(
  [platform]="platform"
  [text]="text platform"
  [crypto]="crypto text platform"
  [channel]="channel text platform"
  [session]="session crypto channel text platform"
  [dialog]="dialog session crypto channel text platform"
  [db]="db session crypto text platform"
  [driver]="driver db dialog session crypto channel text platform"
)
tool_reach="db session crypto text platform"
harness="tests fuzz bench"

os_headers='^(sys/.*|unistd\.h|windows\.h|winsock2?\.h|ws2tcpip\.h|netdb\.h|netinet/.*|arpa/.*|poll\.h|fcntl\.h|io\.h|share\.h|signal\.h|dirent\.h|direct\.h|pthread\.h|dlfcn\.h|sql\.h|sqlext\.h|sqltypes\.h|sqlucode\.h)$'
os_allowed='^(platform/.*|channel/socket_layer_[a-z]+\.cpp|channel/wsa_errors_posix\.cpp|tools/terminal/terminal_socket_[a-z]+\.cpp)$'

faults=0
fault() {
  echo "$1"
  faults=$((faults + 1))
}

# allowed_for FILE: the folders FILE may include from, or "*" for a harness.
allowed_for() {
  local top=${1%%/*}
  case " $harness " in *" $top "*) echo "*"; return ;; esac
  if [[ $top == tools ]]; then
    local rest=${1#tools/}
    echo "$tool_reach tools/${rest%%/*}"
    return
  fi
  echo "${reach[$top]-}"
}

# included_folder TEXT: "tools/x" for a tool's header, else the top folder.
included_folder() {
  local top=${1%%/*}
  if [[ $top == tools ]]; then
    local rest=${1#tools/}
    echo "tools/${rest%%/*}"
  else
    echo "$top"
  fi
}

while IFS= read -r file; do
  allowed=$(allowed_for "$file")
  own=$(included_folder "$file")
  if [[ -z $allowed ]]; then
    fault "$file: folder ${file%%/*}/ is in no layer (add it to cmake/Layers.cmake and this check)"
    continue
  fi
  while IFS=: read -r line text; do
    if [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]]; then
      target=${BASH_REMATCH[1]}
      [[ $target == */* ]] || continue
      folder=$(included_folder "$target")
      [[ $allowed == "*" ]] && continue
      case " $allowed " in
        *" $folder "*) ;;
        *) fault "$file:$line: $own/ may not include $target (against the direction)" ;;
      esac
    elif [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<([^\>]+)\> ]]; then
      header=${BASH_REMATCH[1]}
      [[ $allowed == "*" ]] && continue
      if [[ $header =~ $os_headers && ! $file =~ $os_allowed ]]; then
        fault "$file:$line: operating-system header <$header> outside platform/ and the socket layers"
      fi
    fi
  done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file")
done < <(find . -mindepth 1 \( -name '.*' -o -name 'build*' \) -prune -o -type f \( -name '*.h' -o -name '*.cpp' \) \
           -print | sed 's#^\./##' | grep -v '^tests/layers/fixture/' | LC_ALL=C sort)

if ((faults > 0)); then
  echo "layer check: $faults fault(s)"
  exit 1
fi
echo "layer check: every include runs down the layers"
