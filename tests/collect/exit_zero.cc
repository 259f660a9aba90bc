// A test-only Windows program that ends with exit code 0 whatever its
// arguments. The collect tests make it the command interpreter that
// collect-report.cmd asks to end with the script's exit code, as the
// cmd.exe of Windows NT 4.0, whose EXIT takes no exit code, would.

int main() { return 0; }
