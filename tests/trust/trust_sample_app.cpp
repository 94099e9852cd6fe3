// The program the package trust tests sign, tamper with and run: it only ends with a known
// exit code, so a test can tell that it really ran.
int main() {
  return 42;
}
