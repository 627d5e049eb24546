# Gain recovery after a loud burst, sparse against dense program.
# Variables: dir (data folder), out (PNG path), lead (seconds shown before the burst ends).
set terminal pngcairo size 1000,560 font "Sans,11" enhanced
set output out
set title "Program-dependent release: the same Release setting (259 ms), two programs" font "Sans,13"
set xlabel "time after the burst ends (ms)"
set ylabel "gain reduction (dB)"
set yrange [0:*] reverse
set xrange [-lead*1000:500]
set grid lc rgb "#dddddd"
set key right bottom box opaque
set arrow from 0, graph 0 to 0, graph 1 nohead dt 3 lc rgb "#888888"
plot dir."/release-sparse.dat" u (($1-lead)*1000):2 w l lw 2 lc rgb "#4a90d9" title "sparse: a quiet tone (-26 dBFS) after the burst", \
     dir."/release-dense.dat" u (($1-lead)*1000):2 w l lw 2 lc rgb "#d0404a" title "dense: the program goes on just under the threshold"
