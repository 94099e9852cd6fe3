// A program the setup tests plant where a carelessly built command line would start it
// instead of the package: it only exits with a code no real setup run gives.
int main() {
  return 77;
}
