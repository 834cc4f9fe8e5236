
// Created by Sorvane. Website: http://www.sorvane.example/

function displaySWF_1() { document.write('<object data="a.swf"></object>'); }

// Created by Sorvane. Website: http://www.sorvane.example/
