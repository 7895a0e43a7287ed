#!/bin/sh
# Runs a test program against TLS servers on loopback, with certificates made
# for the run in a folder of the build tree:
#   tls-servers.sh FOLDER PROGRAM [ARGUMENTS...]
# The servers answer every connection with a page and close_notify. The
# program learns their ports and the files from the environment; the trust
# store is the test CA alone.
set -u
dir=$1
shift
rm -rf "$dir"
mkdir -p "$dir/empty" "$dir/ca-dir" || exit 1
log=$dir/openssl.log

ssl() {
    openssl "$@" >>"$log" 2>&1 || { echo "openssl $*: failed, see $log" >&2; exit 1; }
}

key="-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes"
local_names="subjectAltName=DNS:localhost,IP:127.0.0.1"
printf '%s\nbasicConstraints=CA:FALSE\n' "$local_names" >"$dir/local.ext"
printf '[ca]\ndefault_ca=z\n[z]\ndatabase=%s/index.txt\nnew_certs_dir=%s\nserial=%s/serial\ndefault_md=sha256\npolicy=p\nunique_subject=no\n[p]\ncommonName=supplied\n' \
    "$dir" "$dir" "$dir" >"$dir/ca.cnf"
: >"$dir/index.txt"
echo 1000 >"$dir/serial"

ssl req -x509 $key -keyout "$dir/ca.key" -out "$dir/ca.pem" -days 30 -subj '/CN=Zelvo Test CA' \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign
cp "$dir/ca.pem" "$dir/ca-dir/"
ssl req $key -keyout "$dir/good.key" -out "$dir/good.csr" -subj /CN=localhost
ssl x509 -req -in "$dir/good.csr" -CA "$dir/ca.pem" -CAkey "$dir/ca.key" -CAcreateserial \
    -days 30 -out "$dir/good.pem" -extfile "$dir/local.ext"
ssl req $key -keyout "$dir/expired.key" -out "$dir/expired.csr" -subj /CN=localhost
ssl ca -batch -notext -config "$dir/ca.cnf" -cert "$dir/ca.pem" -keyfile "$dir/ca.key" \
    -in "$dir/expired.csr" -out "$dir/expired.pem" -startdate 20200101000000Z \
    -enddate 20200131000000Z -extfile "$dir/local.ext"
ssl req -x509 $key -keyout "$dir/self.key" -out "$dir/self.pem" -days 30 -subj /CN=localhost \
    -addext "$local_names"

pids=
stop() {
    for pid in $pids; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
}
trap stop EXIT

# Starts a server for NAME's certificate on a free port, left in $port; its
# options follow the name.
serve() {
    name=$1
    shift
    out=$dir/$name.server
    port=
    openssl s_server -accept 127.0.0.1:0 -www -cert "$dir/$name.pem" -key "$dir/$name.key" "$@" \
        </dev/null >"$out" 2>&1 &
    pids="$pids $!"
    for _ in $(seq 100); do
        port=$(sed -n 's/^ACCEPT .*:\([0-9][0-9]*\)$/\1/p' "$out")
        [ -n "$port" ] && return
        sleep 0.1
    done
    echo "the server for $name did not start: $(cat "$out")" >&2
    exit 1
}

serve good
ZELVO_TLS_GOOD_PORT=$port
serve self
ZELVO_TLS_SELF_SIGNED_PORT=$port
serve expired
ZELVO_TLS_EXPIRED_PORT=$port
# One that speaks TLS 1.2 only, whose record types show on the wire.
serve good -tls1_2
ZELVO_TLS_GOOD12_PORT=$port
# A server that speaks nothing newer than TLS 1.1.
serve good -tls1_1 -cipher DEFAULT@SECLEVEL=0
ZELVO_TLS_OLD_PORT=$port
export ZELVO_TLS_GOOD_PORT ZELVO_TLS_SELF_SIGNED_PORT ZELVO_TLS_EXPIRED_PORT ZELVO_TLS_OLD_PORT \
    ZELVO_TLS_GOOD12_PORT
export ZELVO_TLS_SELF_SIGNED_CERT=$dir/self.pem ZELVO_TLS_CA_DIR=$dir/ca-dir
export SSL_CERT_FILE=$dir/ca.pem SSL_CERT_DIR=$dir/empty

"$@"
rc=$?
trap - EXIT
stop
exit $rc
