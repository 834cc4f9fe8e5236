
// Created by Sorvane. Website: http://www.sorvane.example/

function displaySWF_1() { document.write('<OBJECT classid="clsid:X" WIDTH="550" HEIGHT="400"><PARAM NAME="movie" VALUE="intro.swf"><EMBED SRC="intro.swf" WIDTH="550" HEIGHT="400"></EMBED></OBJECT>'); }

function displaySWF_2() { document.write('<Object id="two">	<param name="movie" value="two.swf"></Object>'); }

// Created by Sorvane. Website: http://www.sorvane.example/
