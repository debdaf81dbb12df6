#!/usr/bin/env bash
# The module may use of the host's libraries only the classes and functions
# the host's contract offers: the client ships its own builds of them.
#   hostcontract.sh LIBTARN HOST_LIBRARY...
set -euo pipefail
module=$1
shift
contract='^(IHostContext|IModule|IComponent|VConfig|VLocalDb|VDataDict|VCacheMgr|VCacheItem|VBusiness|VStyleMgr|VQuotMgr|VStockHelper|VMsgDlg|VDialog|vf|vc|vd|vq|VQuotPanel|VQuotStyle|VQuotDataItems|VQuotDataItem|VDataset|VField|VFieldList|VTableModel|VTableView|VButtonDelegate|VComboBox|VControlBar|VTabButton|VStockEdit|VPanel|VOutput|OrderDetail|BizUtils|VQuotData|VQuotSubscriber)$'
offered=$(for library in "$@"; do nm -DC --defined-only "$library" | sed -E 's/^[0-9a-f]+ [A-Za-z] //'; done | sort -u)
used=$(nm -DC --undefined-only "$module" | sed -E 's/^ +U //' | sort -u)
beyond=$(comm -12 <(echo "$offered") <(echo "$used") \
    | sed -E 's/^(typeinfo|vtable|VTT) for //; s/\(.*//; s/<.*//' | awk -F'::' 'NF>1{print $1; next}{print $0}' \
    | sort -u | grep -v -E "$contract" | grep -v '^$' || true)
if [ -n "$beyond" ]; then
    echo "the module uses what the host's contract does not offer:"
    echo "$beyond"
    exit 1
fi
echo "the module uses only the host's contract"
