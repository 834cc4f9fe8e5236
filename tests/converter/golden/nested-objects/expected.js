
// Created by Sorvane. Website: http://www.sorvane.example/

function displaySWF_1() { document.write('<object id="outer"><object id="inner"><embed src="x.swf"></object>'); }

// Created by Sorvane. Website: http://www.sorvane.example/
