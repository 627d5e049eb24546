# Output level against input level for steady 1 kHz tones, six settings.
# Variables: dir (data folder), out (PNG path).
set terminal pngcairo size 760,720 font "Sans,11" enhanced
set output out
set title "Static curve through the DLL\n1 kHz tone, Threshold -18 dB, Makeup 0 dB" font "Sans,13"
set xlabel "input level (dBFS peak)"
set ylabel "output level (dBFS peak)"
set xrange [-40:0]
set yrange [-40:0]
set size ratio -1
set grid lc rgb "#dddddd"
set key left top box opaque
set arrow from -18,-40 to -18,0 nohead dt 3 lc rgb "#888888"
set label "threshold" at -17.5,-37 tc rgb "#666666"
plot x title "1:1" dt 2 lc rgb "#999999", \
     dir."/curve-r1.5-g0.dat" w lp pt 7 ps 0.6 lw 2 lc rgb "#4a90d9" title "1.5:1, glue 0 %", \
     dir."/curve-r1.5-g100.dat" w lp pt 5 ps 0.6 lw 2 dt 2 lc rgb "#4a90d9" title "1.5:1, glue 100 %", \
     dir."/curve-r4-g0.dat" w lp pt 7 ps 0.6 lw 2 lc rgb "#e0a030" title "4:1, glue 0 %", \
     dir."/curve-r4-g100.dat" w lp pt 5 ps 0.6 lw 2 dt 2 lc rgb "#e0a030" title "4:1, glue 100 %", \
     dir."/curve-r20-g0.dat" w lp pt 7 ps 0.6 lw 2 lc rgb "#d0404a" title "20:1, glue 0 %", \
     dir."/curve-r20-g100.dat" w lp pt 5 ps 0.6 lw 2 dt 2 lc rgb "#d0404a" title "20:1, glue 100 %"
