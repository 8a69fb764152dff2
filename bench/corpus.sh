# Sourced by the benches that archive the corpus of tools/lha-corpus: makes
# it at `corpus` when it is missing, and sets `corpus` to its absolute path.
if [[ ! -f $corpus.manifest ]]; then
  echo "making the corpus in $corpus" >&2
  mkdir -p "$(dirname "$corpus")"
  "$root/tools/lha-corpus" "$(cd "$(dirname "$corpus")" && pwd)/$(basename "$corpus")" >&2
fi
corpus=$(cd "$corpus" && pwd)
