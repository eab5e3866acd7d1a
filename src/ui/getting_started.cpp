#include "ui/getting_started.h"

namespace tarmac::ui {

QString GettingStartedHtml() {
  return QStringLiteral(R"(<h2>Getting started</h2>
<h3>1. Read a profile</h3>
<p><b>Read File</b> (Ctrl+O) opens a longitudinal profile: a <i>.pro</i> file (with its
<i>.spd</i> survey speeds beside it when there are any), a <i>.dat</i>, an <i>.erd</i> or a
delimited text file. The bundled sample <i>runway.pro</i> is a good first one. The profile is
drawn in the top left panel; the caption shows its full path. Tick <b>metric</b> to see every
value in metric units; the values themselves do not change.</p>
<h3>2. The five roughness indexes</h3>
<p>Each option of the <b>Indexes</b> frame (or Ctrl+1 to Ctrl+5) computes one index over the
whole profile and by sections of the averaging distance; its value box shows the result, its
panel the index along the runway, and the lines go to <i>Results.txt</i> beside the profile.
Escape or <b>Cancel Op.</b> stops a computation and leaves everything as it was. The dock
<b>Locations beyond limits</b> lists where a series goes beyond its limit (the <i>Limit</i>
rows of <b>In / Out</b>), shades those stretches on the panels and says which kinds pass; a
double-click on a stretch zooms its panel to it.</p>
<ul>
<li><b>Straightedge</b>: the largest gap under a rigid straightedge (12 ft on asphalt, 16 ft on
concrete) laid on the surface at every position. Inches, or the metric elevation unit. A right
click on its panel shows the straightedge at that position.</li>
<li><b>Boeing Bump</b>: every point rated by the worst single bump it belongs to, as the ratio of
the bump's height to the allowable height for its length. No unit: 1 is a bump exactly at the
allowable height, above 1 is beyond it. A right click on its panel shows the bump.</li>
<li><b>IRI (1/4 car)</b>: the International Roughness Index, the suspension travel of a standard
quarter car at 80 km/h divided by the distance. Inches per mile (m/km in metric units).</li>
<li><b>CA Profilograph</b>: the profile index of a simulated 25-foot California profilograph,
the heights of the trace's excursions beyond a 0.2-inch blanking band per mile. Inches per mile
(m/km in metric units).</li>
<li><b>Bandpass Filter</b>: the root mean square of the profile between wavelengths of 1 and 8
feet. Inches, or the metric elevation unit.</li>
</ul>
<h3>3. Simulate an aircraft</h3>
<p><b>In / Out</b> holds the analysis settings: the aircraft type, its speed, the averaging
distance and the others; select a row to change it. <b>Run Sim</b> (Alt+M) rolls the aircraft
over the profile; the panels show the vertical accelerations at the centre of gravity and at the
pilot's station and the dynamic loads on the nose and main gear. <b>PSD</b> opens the spectra of
the profile and of these responses; <b>ShowBars</b> the charts of the indexes by section.</p>
<h3>4. Reports</h3>
<p><b>Save Indexes</b> appends the summary line of the indexes to <i>Indexes.txt</i>.
<b>Automatically Process All</b> (Alt+A) takes several profiles and writes, for each, a report
document <i>WordFile/&lt;name&gt;.docx</i> with its indexes, distributions and simulations, and
its charts in <i>ChartFile/&lt;name&gt;Chart.docx</i>, and one spreadsheet of them all,
<i>WordFile/Summary.xlsx</i> (and <i>Summary.csv</i>); the profile in the window is left as it
is, and the closing message lists the profiles that could not be processed and why.</p>
)");
}

}  // namespace tarmac::ui
