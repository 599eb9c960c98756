int resBareValue(void) { return 1; }
