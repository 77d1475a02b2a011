# Sourced by the scripts: installs the packages of scripts/packages.txt that
# are missing, through apt-get when running as root.
missing=()
while read -r pkg; do
  [[ -z "$pkg" || "$pkg" == \#* ]] && continue
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done < scripts/packages.txt
if (( ${#missing[@]} )); then
  if [[ $(id -u) -eq 0 ]]; then
    echo "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "missing packages (run as root to install them): ${missing[*]}" >&2
    exit 1
  fi
fi
