# A private LAN of network namespaces with Samba receivers on it, for the
# interop test and the demo. Source this file; it runs nothing by itself.
#
#   wn_lan_init TAG                      sender namespace with a bridge as its LAN
#   wn_receiver_add KEY NAME IP on|off [PROTOCOL]
#                                        one receiver host: smbd + nmbd, messages on or
#                                        off, lowest SMB dialect it takes (default NT1)
#   wn_receivers_wait                    until every smbd listens and every nmbd answers
#   wn_send RECIPIENT FILE OUT           runs $WN_WIRENOTE on the sender; sets WN_STATUS
#   wn_inbox KEY                         where receiver KEY's message command puts messages
#   wn_cleanup                           stops daemons, deletes namespaces and temp files
#
# Needs root, iproute2 (ip, ss), samba (smbd, nmbd), python3, util-linux (unshare).
# Traffic stays inside namespaces made here: the LAN uses a documentation
# range that nothing outside them ever sees.

WN_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
WN_NET=198.51.100
WN_SENDER_IP=$WN_NET.2
WN_BROADCAST=$WN_NET.255
# The sender gets a host name of its own, so that the originator and calling
# names the receiver records are known in advance.
WN_SENDER_HOSTNAME=wnsender

WN_WORK=
WN_SEND_NS=
WN_NAMESPACES=()
WN_RECEIVER_KEYS=()
declare -A WN_RECEIVER_NS WN_RECEIVER_NAME WN_RECEIVER_IP WN_RECEIVER_DIR

wn_log() { printf '%s\n' "$*" >&2; }

wn_lan_init() {
  local tag=$1
  WN_WORK=$(mktemp -d /tmp/wirenote-lan.XXXXXX) || return 1
  # smbd runs the message command as the guest account: it must reach its script.
  chmod 755 "$WN_WORK"
  install -m 755 "$WN_LIB_DIR/message-command.sh" "$WN_WORK/message-command.sh"
  WN_SEND_NS=wn-send-$tag
  WN_NAMESPACES+=("$WN_SEND_NS")
  # Addresses get their broadcast address ("brd +") as on a real LAN: without
  # one, an interface offers nowhere to send a broadcast name query.
  ip netns add "$WN_SEND_NS" &&
    ip -n "$WN_SEND_NS" link set lo up &&
    ip -n "$WN_SEND_NS" link add br0 type bridge &&
    ip -n "$WN_SEND_NS" addr add "$WN_SENDER_IP/24" brd + dev br0 &&
    ip -n "$WN_SEND_NS" link set br0 up
}

wn_receiver_add() {
  local key=$1 name=$2 ip=$3 messages=$4 min_protocol=${5:-NT1}
  local ns=wn-$key-${WN_SEND_NS#wn-send-}
  local dir=$WN_WORK/$key
  WN_RECEIVER_KEYS+=("$key")
  WN_RECEIVER_NS[$key]=$ns
  WN_RECEIVER_NAME[$key]=$name
  WN_RECEIVER_IP[$key]=$ip
  WN_RECEIVER_DIR[$key]=$dir
  WN_NAMESPACES+=("$ns")

  ip netns add "$ns" &&
    ip -n "$ns" link set lo up &&
    ip -n "$WN_SEND_NS" link add "to-$key" type veth peer name eth0 netns "$ns" &&
    ip -n "$WN_SEND_NS" link set "to-$key" master br0 up &&
    ip -n "$ns" addr add "$ip/24" brd + dev eth0 &&
    ip -n "$ns" link set eth0 up || return 1

  mkdir -p "$dir"/{lock,state,cache,private,pid,ncalrpc,log,inbox,tmp} || return 1
  # The guest account must get through to the inbox and the temp directory,
  # whatever the umask.
  chmod 755 "$dir"
  chmod 777 "$dir/inbox"
  # smbd writes each message to a file in TMPDIR as the guest account.
  chmod 1777 "$dir/tmp"
  local message_command=""
  if [ "$messages" = on ]; then
    message_command="message command = /bin/sh $WN_WORK/message-command.sh %s $dir/inbox %L %f %m"
  fi
  cat >"$dir/smb.conf" <<EOF
[global]
  netbios name = $name
  workgroup = WNLAN
  server role = standalone server
  # Debian's default minimum (SMB2_02) drops the connection at the first
  # message command; NT1 lets the message commands through.
  server min protocol = $min_protocol
  smb ports = 139
  interfaces = $ip/24
  bind interfaces only = yes
  dos charset = CP932
  unix charset = UTF-8
  guest account = nobody
  $message_command
  lock directory = $dir/lock
  state directory = $dir/state
  cache directory = $dir/cache
  private dir = $dir/private
  pid directory = $dir/pid
  ncalrpc dir = $dir/ncalrpc
  log file = $dir/log/%m.log
  log level = 1
  # Quiet hosts: no browser elections, no printers.
  local master = no
  preferred master = no
  domain master = no
  load printers = no
  printing = bsd
  printcap name = /dev/null
  disable spoolss = yes
EOF
  # nmbd puts a socket under /run/samba whatever the configuration says: give
  # this host a /run of its own (ip netns exec already made a private mount
  # namespace, which the daemons keep).
  ip netns exec "$ns" sh -c '
    mount -t tmpfs -o mode=0755,size=8m wn-run /run && mkdir -p /run/samba &&
    export TMPDIR="$3" &&
    smbd -D -s "$1" -l "$2" && nmbd -D -s "$1" -l "$2"' sh "$dir/smb.conf" "$dir/log" "$dir/tmp"
}

wn_inbox() { printf '%s\n' "${WN_RECEIVER_DIR[$1]}/inbox"; }

# Polls with bounded retries: smbd listens within a second, nmbd answers
# broadcast queries only some seconds after it starts.
wn_receivers_wait() {
  local key ns ip tries
  for key in "${WN_RECEIVER_KEYS[@]}"; do
    ns=${WN_RECEIVER_NS[$key]} ip=${WN_RECEIVER_IP[$key]}
    for ((tries = 0; ; tries++)); do
      ip netns exec "$ns" ss -Hltn "sport = :139" | grep -qF "$ip:139" && break
      if ((tries >= 100)); then
        wn_log "smbd of ${WN_RECEIVER_NAME[$key]} does not listen on $ip:139"
        wn_dump_logs
        return 1
      fi
      sleep 0.1
    done
  done
  for key in "${WN_RECEIVER_KEYS[@]}"; do
    local answer
    answer=$(ip netns exec "$WN_SEND_NS" python3 "$WN_LIB_DIR/nbquery.py" \
      "${WN_RECEIVER_NAME[$key]}" "$WN_BROADCAST" 30) || {
      wn_log "nmbd of ${WN_RECEIVER_NAME[$key]} never answered a broadcast name query"
      wn_dump_logs
      return 1
    }
    if [ "$answer" != "${WN_RECEIVER_IP[$key]}" ]; then
      wn_log "${WN_RECEIVER_NAME[$key]}<03> answered with '$answer', not ${WN_RECEIVER_IP[$key]}"
      return 1
    fi
  done
}

# Runs the built program on the sender host, in the C locale (code page 932)
# and with a host name of its own. Its standard output goes to OUT.
wn_send() {
  local recipient=$1 file=$2 out=$3
  ip netns exec "$WN_SEND_NS" unshare --uts sh -c '
    printf "%s" "$1" >/proc/sys/kernel/hostname || exit 125
    shift
    exec env LC_ALL=C timeout 20 "$@"' \
    sh "$WN_SENDER_HOSTNAME" "$WN_WIRENOTE" "$recipient" "$file" <"/dev/null" >"$out"
  WN_STATUS=$?
}

wn_dump_logs() {
  local key f
  for key in "${WN_RECEIVER_KEYS[@]}"; do
    for f in "${WN_RECEIVER_DIR[$key]}"/log/*; do
      [ -f "$f" ] || continue
      wn_log "---- $f (last lines)"
      tail -n 20 "$f" >&2
    done
  done
}

wn_pids_of() { cat "${WN_RECEIVER_DIR[$1]}"/pid/*.pid 2>/dev/null; }

wn_cleanup() {
  local key pid ns tries
  local -a pids=()
  for key in "${WN_RECEIVER_KEYS[@]}"; do
    for pid in $(wn_pids_of "$key"); do
      [[ $pid =~ ^[0-9]+$ ]] && kill -TERM "$pid" 2>/dev/null && pids+=("$pid")
    done
  done
  # smbd takes a moment to go; do not leave it behind.
  for ((tries = 0; tries < 50; tries++)); do
    local alive=0
    for pid in "${pids[@]}"; do kill -0 "$pid" 2>/dev/null && alive=1; done
    ((alive)) || break
    sleep 0.1
  done
  # Whatever still lives in our own namespaces (smbd's children) was started here.
  for ns in "${WN_NAMESPACES[@]}"; do
    for pid in $(ip netns pids "$ns" 2>/dev/null); do kill -KILL "$pid" 2>/dev/null; done
  done
  for ns in "${WN_NAMESPACES[@]}"; do
    ip netns del "$ns" 2>/dev/null
  done
  WN_NAMESPACES=()
  if [ -n "$WN_WORK" ] && [ -d "$WN_WORK" ]; then
    rm -rf -- "$WN_WORK"
  fi
  WN_WORK=
}
