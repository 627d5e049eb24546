# The demo clip before and after, and the gain reduction over time.
# Variables: dir (data folder), out (PNG path).
set terminal pngcairo size 1000,900 font "Sans,11" enhanced
set output out
set multiplot layout 4,1 title "Demo clip through the DLL" font "Sans,13"
set lmargin 10
set rmargin 3
set xrange [0:6]
set yrange [-1:1]
set grid lc rgb "#e4e4e4"
set ytics 0.5
set format x ""
set key right top opaque
plot dir."/env-input.dat" u 1:2:3 w filledcurves lc rgb "#808080" title "before (left channel)"
plot dir."/env-default.dat" u 1:2:3 w filledcurves lc rgb "#4a90d9" title "after, default settings"
plot dir."/env-glue.dat" u 1:2:3 w filledcurves lc rgb "#9a60d0" title "after, heavy glue"
set format x "%g"
set xlabel "time (s)"
set ylabel "gain reduction (dB)"
set yrange [*:0] reverse
set autoscale ymax
set yrange [0:*] reverse
set ytics 1
plot dir."/gr-default.dat" w l lw 1.5 lc rgb "#4a90d9" title "default settings", \
     dir."/gr-glue.dat" w l lw 1.5 lc rgb "#9a60d0" title "heavy glue"
unset multiplot
