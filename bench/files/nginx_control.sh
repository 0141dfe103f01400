# shellcheck shell=bash
# Starting nginx as a server under measurement, for the scripts that set the
# Vantrel server against it (bench/files/compare.sh, bench/transfer/compare.sh);
# sourced after bench/load/server_control.sh, whose SERVER_PID, SERVER_CPU,
# wait_listening and stop_server it uses. It never touches the system's nginx
# service.

# Starts nginx on 127.0.0.1:$1 with one worker, serving the folder $3: its
# configuration, error log, PID file and temporary folders in $2, no access
# log. $4 holds more directives for the http block and $5 for the location of
# "/". SERVER_PID is then the master process, which ends its worker when it ends.
start_nginx() {
  local port=$1 dir=$2 root=$3 http_directives=$4 location_directives=$5
  mkdir -p "$dir/temp"
  cat >"$dir/nginx.conf" <<CONF
daemon off;
master_process on;
worker_processes 1;
# The worker reads the files as the user who runs the script.
user $(id -un) $(id -gn);
pid $dir/nginx.pid;
error_log $dir/error.log;
events {
  worker_connections 1024;
}
http {
  access_log off;
  client_body_temp_path $dir/temp/body;
  proxy_temp_path $dir/temp/proxy;
  fastcgi_temp_path $dir/temp/fastcgi;
  uwsgi_temp_path $dir/temp/uwsgi;
  scgi_temp_path $dir/temp/scgi;
  $http_directives
  server {
    listen 127.0.0.1:$port;
    root $root;
    location / {
      $location_directives
    }
  }
}
CONF
  "${SERVER_CPU[@]}" nginx -p "$dir" -e "$dir/error.log" -c "$dir/nginx.conf" </dev/null \
    >"$dir/server.log" 2>&1 &
  # shellcheck disable=SC2034  # the sourcing script's, as server_control.sh says
  SERVER_PID=$!
  wait_listening "$port" "$dir/error.log"
}
