# Settings store: regtool writes, reads and exports the values the libraries look for.
# Sourced by examples/demo.sh, which provides $bin, a scratch $WINPORT_REGISTRY_DIR and `section`.

section "Registry store (regtool)"
regtool="$bin/regtool"
log_key='HKCU\Software\RVD\Camera Settings\LOG'

echo "\$ regtool where"
"$regtool" where

echo "\$ regtool set '$log_key' LoggingLevel dword 8"
"$regtool" set "$log_key" LoggingLevel dword 8
echo "\$ regtool set '$log_key' LogFileName sz lmvlog.txt"
"$regtool" set "$log_key" LogFileName sz lmvlog.txt
echo "\$ regtool set 'HKCU\Software\RVD\Buffers' EnableLock dword 0x1"
"$regtool" set 'HKCU\Software\RVD\Buffers' EnableLock dword 0x1
echo "\$ regtool set 'HKLM\Software\ZR\TALTranslator' Path sz /opt/zr/stages/"
"$regtool" set 'HKLM\Software\ZR\TALTranslator' Path sz /opt/zr/stages/

echo "\$ regtool query 'HKEY_CURRENT_USER\software\rvd\camera settings\log'  (names ignore case)"
"$regtool" query 'HKEY_CURRENT_USER\software\rvd\camera settings\log'
echo "\$ regtool query '$log_key' LoggingLevel"
"$regtool" query "$log_key" LoggingLevel

echo "\$ regtool export 'HKCU\Software\RVD' | regtool cat -   (the UTF-16LE .reg file Windows reads, shown as text)"
"$regtool" export 'HKCU\Software\RVD' | "$regtool" cat -

echo "\$ regtool query '$log_key' NoSuchValue   (a failure: message and exit code)"
status=0
"$regtool" query "$log_key" NoSuchValue 2>&1 || status=$?
echo "exit code $status"
