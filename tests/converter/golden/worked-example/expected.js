
// Created by Sorvane. Website: http://www.sorvane.example/

function displaySWF_1() { document.write('<object id="m"><param name="movie" value="m.swf"></object>'); }

// Created by Sorvane. Website: http://www.sorvane.example/
