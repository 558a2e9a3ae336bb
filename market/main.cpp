// tickora-market: the simulated market (not yet serving).
int main() { return 0; }
