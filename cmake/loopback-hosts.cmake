# Initial cache for the demo and test build trees (cmake -C cmake/loopback-hosts.cmake): every
# host the installer talks to is a local server on 127.0.0.1, at ports the demo and the
# end-to-end tests start their servers on (tools/demo.sh, tests/e2e).
# FORCE: a tree configured earlier with the release hosts is switched over too.
#   18480 package server, plain http        18481 package server, https (fallback package)
#   18482 report collector                  18483 web pages (opened in the browser only)
set(BRIGHTMERE_PACKAGE_HOST "127.0.0.1:18480" CACHE STRING "Host[:port] of the package endpoint" FORCE)
set(BRIGHTMERE_FALLBACK_HOST "127.0.0.1:18481" CACHE STRING "Host[:port] serving the fallback package over https" FORCE)
set(BRIGHTMERE_REPORT_HOST "127.0.0.1:18482" CACHE STRING "Host[:port] of the reporting endpoint (empty: the package host)" FORCE)
set(BRIGHTMERE_AGREEMENT_HOST "127.0.0.1:18483" CACHE STRING "Host of the user-agreement page" FORCE)
set(BRIGHTMERE_OFFLINE_HOST "127.0.0.1:18483" CACHE STRING "Host of the full-package page" FORCE)
# The demo and test servers serve the setup package signed with the test signing certificate
# (tools/signing), whose root is trusted in the build tree's Wine prefix only.
set(BRIGHTMERE_PACKAGE_SIGNER "Test Package Signer" CACHE STRING "Signer (certificate common name) the setup package must carry; empty: not checked" FORCE)
# The test signer's fixed key (tools/signing/test-signer.key) and issuer: a certificate of the
# same name with another key is refused.
set(BRIGHTMERE_PACKAGE_SIGNER_KEYS "77432dd238489c6d667650d59e587189abab4c7f84bb79b4c6dcfda054fe3240" CACHE STRING "SHA-256 of the public keys the package's signer may have" FORCE)
set(BRIGHTMERE_PACKAGE_SIGNER_ISSUER "Test Code Signing Root" CACHE STRING "Common name of the certificate that issues the package signer's" FORCE)
# The demo package carries the build's file version; its older variant (tools/signing), a
# lower one, is refused.
set(BRIGHTMERE_MIN_PACKAGE_VERSION "2.0.0.0" CACHE STRING "Lowest file version of the setup package accepted" FORCE)
# A stalled transfer is given up after 10 s instead of a minute, so the end-to-end fault
# tests can stall every one of the six attempts within a minute.
set(BRIGHTMERE_STALL_SECONDS 10 CACHE STRING "Seconds without any received byte after which a download attempt is given up" FORCE)
