"""A local RFC 3161 timestamp server for tests: `openssl ts -reply` behind HTTP on 127.0.0.1,
with a TSA certificate issued by the test signing root. Python standard library and openssl.

    with LocalTsa(certs_dir, work_dir) as tsa:
        sign_stub.sh ... --timestamp tsa.url --tsa-ca certs_dir/root.pem
"""
import http.server
import os
import subprocess
import tempfile
import threading

CONFIG = """[ tsa ]
default_tsa = tsa_config
[ tsa_config ]
serial = {serial}
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256, sha1
ess_cert_id_alg = sha256
accuracy = secs:1
ordering = no
tsa_name = no
ess_cert_id_chain = no
"""


class LocalTsa:
    def __init__(self, certs, work):
        self.certs, self.work = certs, work

    def __enter__(self):
        os.makedirs(self.work, exist_ok=True)
        key, cert = os.path.join(self.work, "tsa.key"), os.path.join(self.work, "tsa.pem")
        csr, ext = os.path.join(self.work, "tsa.csr"), os.path.join(self.work, "tsa.ext")
        config = os.path.join(self.work, "tsa.cnf")
        with open(ext, "w") as f:
            f.write("basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\n"
                    "extendedKeyUsage=critical,timeStamping\n")
        with open(config, "w") as f:
            f.write(CONFIG.format(serial=os.path.join(self.work, "serial")))
        with open(os.path.join(self.work, "serial"), "w") as f:
            f.write("01\n")
        quiet = dict(check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                        "-out", csr, "-subj", "/CN=Test Timestamps"], **quiet)
        subprocess.run(["openssl", "x509", "-req", "-sha256", "-days", "3650", "-in", csr,
                        "-CA", os.path.join(self.certs, "root.pem"),
                        "-CAkey", os.path.join(self.certs, "root.key"), "-CAcreateserial",
                        "-out", cert, "-extfile", ext], **quiet)
        reply = ["openssl", "ts", "-reply", "-config", config, "-signer", cert, "-inkey", key,
                 "-chain", os.path.join(self.certs, "root.pem")]

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_POST(self):
                query = self.rfile.read(int(self.headers["Content-Length"]))
                with tempfile.NamedTemporaryFile() as f:
                    f.write(query)
                    f.flush()
                    done = subprocess.run(reply + ["-queryfile", f.name, "-out", "-"],
                                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
                self.send_response(200 if done.returncode == 0 else 500)
                self.send_header("Content-Type", "application/timestamp-reply")
                self.send_header("Content-Length", str(len(done.stdout)))
                self.end_headers()
                self.wfile.write(done.stdout)

            def log_message(self, *args):
                pass

        self.server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
        self.url = "http://127.0.0.1:%d/" % self.server.server_port
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.server.shutdown()
        self.server.server_close()
