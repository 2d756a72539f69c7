int zq_win_placeholder() { return 0; }
